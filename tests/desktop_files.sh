#!/usr/bin/env bash
# Installed into a fresh prefix, the desktop entry is valid and the file type database calls
# PBN files text/x-pbn by their name, whatever they start with (%, or [Event " like chess).
# $1: the build folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix/share/applications/quillotan.desktop"
update-mime-database "$prefix/share/mime"
cp "$here/cases/bigdeal2_24/deals.pbn" "$prefix/percent.pbn"
cp "$here/cases/dealer_export_24/deals.pbn" "$prefix/EVENT.PBN"
for file in percent.pbn EVENT.PBN; do
    type=$(XDG_DATA_DIRS="$prefix/share:/usr/share" gio info -a standard::content-type \
        "$prefix/$file" | sed -n 's/^ *standard::content-type: //p')
    [ "$type" = text/x-pbn ] || { echo "FAIL: $file is $type" >&2; exit 1; }
done
echo "PASS: desktop entry valid; both files are text/x-pbn"
