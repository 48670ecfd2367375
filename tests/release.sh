#!/usr/bin/env bash
# The release as a maintainer makes it: tools/release in two clones of the commit, in folders
# of other names and lengths, under other masks, time zones and languages, at other times,
# gives the same SHA256SUMS; the page files are the
# build's; the Debian package is lintian-clean, installs, works, names its desktop entry for
# text/x-pbn, which PBN files get by their name whatever they start with (%, or [Event " as
# chess files do), and uninstalls leaving nothing; the Windows ZIP, unpacked into a fresh folder,
# converts under wine with no search path set. Needs root. $1: the checkout.
set -euo pipefail
top=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT  # the server may have ended itself
fail() { echo "FAIL: $*" >&2; exit 1; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=${WINEPREFIX:-$work/wine}
release() {  # FOLDER MASK ZONE LANGUAGE: a clone made and released under them
    (umask "$2" && git clone -q "$top" "$1" && cp -r "$top/web/node_modules" "$1/web/" &&
        cd "$1" && TZ=$3 LANG=$4 LC_ALL='' tools/release >/dev/null)
}
release "$work/a" 022 UTC C.UTF-8
release "$work/another folder/b" 077 Pacific/Chatham fr_FR.UTF-8
cmp "$work/a/dist/SHA256SUMS" "$work/another folder/b/dist/SHA256SUMS" || fail "the releases differ"
cd "$work/a"
v=$(cat VERSION)
cmp "dist/quillotan-$v.html" build/quillotan.html
mkdir "$work/web" && (cd "$work/web" && cmake -E tar xf "$work/a/dist/quillotan-$v-web.zip")
diff -r "$work/web" build/web

lintian --fail-on error,warning "dist/quillotan_${v}_amd64.deb"
dpkg -i "dist/quillotan_${v}_amd64.deb" >/dev/null
files=$(dpkg-query -L quillotan)
[ "$(quillotan-convert --version)" = "quillotan-convert $v" ] || fail "--version"
gio mime text/x-pbn | grep quillotan.desktop >/dev/null || fail "text/x-pbn does not name quillotan.desktop"
cp tests/cases/bigdeal2_24/deals.pbn "$work/percent.pbn" && cp tests/cases/dealer_export_24/deals.pbn "$work/EVENT.PBN"
for file in percent.pbn EVENT.PBN; do
    gio info -a standard::content-type "$work/$file" | grep 'content-type: text/x-pbn$' >/dev/null || fail "$file"
done
dpkg -r quillotan >/dev/null
for file in $files; do [ -f "$file" ] && fail "left behind: $file"; done

unpacked=$(mktemp -d -p "$work")
cp tests/cases/bigdeal2_24/deals.pbn "$unpacked/week.pbn"
(cd "$unpacked" && cmake -E tar xf "$work/a/dist/quillotan-convert-$v-windows-x64.zip" &&
    env -u WINEPATH wine "quillotan-convert-$v-windows-x64/bin/quillotan-convert.exe" week.pbn >/dev/null)
for suffix in _1-6 _7-12 _13-18 _19-24; do
    grep -q '|Board ' "$unpacked/week$suffix.lin" || fail "no week$suffix.lin"
done
# The Windows ZIP: the page as the director's window, which program to use, the licences as
# text files, the version in the program's properties.
windows="$unpacked/quillotan-convert-$v-windows-x64"
cmp "$windows/Quillotan.html" build/quillotan.html
grep -q 'Quillotan.html' "$windows/README.txt" && [ -f "$windows/LICENSE.txt" ] && [ -f "$windows/THIRD-PARTY.txt" ] ||
    fail "the Windows ZIP's README or licences"
for text in FileVersion "$v"; do
    LC_ALL=C grep -qaP "$(sed 's/./&\\x00/g' <<<"$text")" "$windows/bin/quillotan-convert.exe" ||
        fail "no $text in the version resource"
done
# The released source checks its formatting without git.
mkdir "$work/source" && tar -xzf "dist/quillotan-$v.tar.gz" -C "$work/source"
"$work/source/quillotan-$v/tools/format-check" || fail "the source's formatting check"
echo "PASS: the release, twice the same bytes: $(ls dist | tr '\n' ' ')"
