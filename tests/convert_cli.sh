#!/usr/bin/env bash
# The command-line converter: output, messages and exit status for good and bad files.
# $1: the converter; further arguments: a program to run it with (wine for a Windows build).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
convert=("${@:2}" "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
cp "$here/cases/bigdeal2_24/deals.pbn" good.pbn
cp "$here/cases/bigdeal_14/deals.pbn" bad.pbn
cp "$here/cases/deal_checks/deals.pbn" checks.pbn
failed=0
expect() {  # expect STATUS STDOUT STDERR-PATTERN ARGS...
    local out err status
    out=$("${convert[@]}" "${@:4}" 2>err.txt | tr -d '\r')
    status=$?
    err=$(tr -d '\r' <err.txt)
    if [ "$status" != "$1" ] || [ "$out" != "$2" ] || [[ $err != $3 ]]; then
        printf 'FAIL: %s\n  status %s\n  out: %s\n  err: %s\n' "${*:4}" "$status" "$out" "$err"
        failed=1
    fi
}
good=$'good_1-6.lin\ngood_7-12.lin\ngood_13-18.lin\ngood_19-24.lin'
expect 0 "$good" "" good.pbn
expect 1 "" $'Could not convert bad.pbn.\nThe source ends after board 14;*\nWritten before the stop: bad_1-6.lin, bad_7-12.lin.*' bad.pbn
expect 1 "$good" "Could not convert bad.pbn.*" bad.pbn good.pbn
expect 0 "${good//good/checks}" $'checks.pbn:\nThe four LIN files were written, but some deals look wrong:\nBoard 2: *\nBoard 11: *' checks.pbn
expect 2 "" "Usage: quillotan-convert [[]OPTION[]]... FILE.pbn...*"
expect 2 "" "quillotan-convert: no file name given*" good.pbn ""
expect 2 "" "quillotan-convert: unknown option --bogus*" --bogus good.pbn
cp good.pbn ./-z.pbn
expect 0 "${good//good/-z}" "" -- -z.pbn
# The set's shape: the shapes refused (shape_rows.txt), a number that is no number, one that
# converts, a value missing.
while IFS='|' read -r numbers _ option sentence; do
    read -r n k f <<<"$numbers"
    expect 2 "" "quillotan-convert: ${option// /}: ${sentence# }*" --boards "$n" --per-file="$k" --fillers "$f" good.pbn
done < <(grep -E '^-?[0-9]+ -?[0-9]+ -?[0-9]+ \| +\| -' "$here/shape_rows.txt")
expect 2 "" $'quillotan-convert: --boards: expected a whole number, not "2x"\n*' --boards=2x good.pbn
expect 2 "" $'quillotan-convert: --fillers needs a number\n*' good.pbn --fillers
expect 0 $'good_1-12.lin\ngood_13-24.lin' "" --per-file 12 --fillers=0 good.pbn
expect 0 "$(printf 'quillotan-convert %s' "$QUILLOTAN_VERSION")" "" --version
# The same outputs twice in one call, not there before: the second source is refused; a source
# that wrote nothing blocks nothing; Windows names ignore case.
cp good.pbn w.pbn && cp good.pbn w.PBN && printf 'no board\n' >v.dlm && cp good.pbn v.pbn
expect 1 "${good//good/w}" "Could not convert w.PBN.*those of w.pbn, converted before it.*" w.pbn w.PBN
expect 1 "${good//good/v}" "Could not convert v.dlm.*holds no board*" v.dlm v.pbn
if [ $# -gt 1 ]; then
    cp good.pbn c.pbn && cp good.pbn C.txt
    expect 1 "${good//good/c}" "Could not convert C.txt.*those of c.pbn, converted before it.*" c.pbn C.txt
fi
# A right-to-left override in a name is shown escaped.
cp good.pbn $'r\u202enbp.exe.pbn'
bidi='r\u202enbp.exe'
expect 0 "${good//good/$bidi}" "" $'r\u202enbp.exe.pbn'
# A line end in a name (POSIX alone has them): shown escaped, raw with -z, escaped in the header.
if [ $# -eq 1 ]; then
    cp good.pbn $'new\nline.pbn'
    escaped='new\nline'
    expect 0 "${good//good/$escaped}" "" $'new\nline.pbn'
    [ "$("${convert[@]}" -z $'new\nline.pbn' | tr '\0' '|')" = "$(printf 'new\nline%s|' _1-6.lin _7-12.lin _13-18.lin _19-24.lin)" ] ||
        { echo "FAIL: -z"; failed=1; }
    grep -q $'^% Source file new\\\\nline.pbn\r$' $'new\nline_1-6.lin' || { echo "FAIL: header"; failed=1; }
    # A file-size limit stops the run with the system's reason and no temporary file left.
    cp good.pbn z.pbn
    err=$( (ulimit -f 0 && exec "${convert[@]}" z.pbn) 2>&1 >/dev/null)
    [ $? = 1 ] && [[ $err == *"Cannot write z_1-6.lin: File too large."* ]] && ! ls .quillotan-* 2>/dev/null ||
        { echo "FAIL: size limit"; failed=1; }
fi
# Two files that differ though their names read alike: link/.. is where the link leads, not
# here. A reader that goes away costs the paths, not the files: every source converts, status 1.
if [ $# -eq 1 ]; then
    mkdir -p d/e && ln -s d/e link && cp good.pbn d/w2.pbn && cp good.pbn w2.pbn
    expect 0 "${good//good/w2}"$'\n'"${good//good/link/../w2}" "" w2.pbn link/../w2.pbn
    "${convert[@]}" good.pbn checks.pbn bad.pbn 2>/dev/null | true
    [ "${PIPESTATUS[0]}" = 1 ] && [ -f checks_19-24.lin ] || { echo "FAIL: closed pipe"; failed=1; }
fi
# Paths that cannot be written are a failure.
if [ -w /dev/full ]; then
    "${convert[@]}" good.pbn >/dev/full 2>err.txt && { echo "FAIL: /dev/full gave 0"; failed=1; }
    grep -q "cannot write to standard output" err.txt || { echo "FAIL: /dev/full unreported"; failed=1; }
fi
exit $failed
