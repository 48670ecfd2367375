#!/usr/bin/env bash
# The release as a maintainer makes it: tools/release in two clones of the commit, in folders
# of other names and lengths, at other times, gives the same SHA256SUMS; the page files are the
# build's; the Debian package is lintian-clean, installs, works, names its desktop entry for
# text/x-pbn, which PBN files get by their name whatever they start with (%, or [Event " as
# chess files do), and uninstalls leaving nothing; the Windows ZIP, unpacked into a fresh folder,
# converts under wine with no search path set. Needs root. $1: the checkout.
set -euo pipefail
top=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=${WINEPREFIX:-$work/wine}
for clone in "$work/a" "$work/another folder/b"; do
    git clone -q "$top" "$clone"
    cp -r "$top/web/node_modules" "$clone/web/"
    (cd "$clone" && tools/release >/dev/null)
done
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
echo "PASS: the release, twice the same bytes: $(ls dist | tr '\n' ' ')"
