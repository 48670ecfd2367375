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
cp "$here/cases/deal_checks/deals.pbn" checks.pbn
cp "$here/cases/bigdeal_14/deals.pbn" bad.pbn
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
here_is=" any $([ $# -gt 1 ] && echo windows || echo posix) "
mkdir -p d/e && ln -s d/e link && printf 'no board\n' >none.pbn
while IFS='|' read -r platform copies args status out err; do
    [[ $platform == \#* || $here_is != *" ${platform// /} "* ]] && continue
    IFS=' ' read -rd '' -a made < <(printf '%b\0' "$copies")
    for copy in "${made[@]}"; do
        cp -- "$here/cases/${copy#*<}/deals.pbn" "${copy%<*}" 2>/dev/null || cp -- none.pbn "${copy%<*}"
    done
    out=$(printf '%b' "$out" | sed -E 's/^ +| +$//g; s|@(.*)|\1_1-6.lin\n\1_7-12.lin\n\1_13-18.lin\n\1_19-24.lin|')
    IFS=' ' read -rd '' -a words < <(printf '%b\0' "$args")
    expect "${status// /}" "$out" "$(printf '%b' "${err# }")" "${words[@]/#\'\'/}"
done <"$here/cli_rows.txt"
expect 0 "quillotan-convert $QUILLOTAN_VERSION" "" -V
# The set's shapes that are refused (shape_rows.txt): status 2, the option and the reason.
while IFS='|' read -r numbers _ option sentence; do
    read -r n k f <<<"$numbers"
    expect 2 "" "quillotan-convert: ${option// /}: ${sentence# }*" --boards "$n" --per-file="$k" --fillers "$f" good.pbn
done < <(grep -E '^-?[0-9]+ -?[0-9]+ -?[0-9]+ \| +\| -' "$here/shape_rows.txt")
if [ $# -eq 1 ]; then
    # -z: the raw paths; the header escapes a line end in the source's name.
    [ "$("${convert[@]}" -z $'new\nline.pbn' | tr '\0' '|')" = "$(printf 'new\nline%s|' _1-6.lin _7-12.lin _13-18.lin _19-24.lin)" ] ||
        { echo "FAIL: -z"; failed=1; }
    grep -q $'^% Source file new\\\\nline.pbn\r$' $'new\nline_1-6.lin' || { echo "FAIL: header"; failed=1; }
    # A file-size limit stops the run with the system's reason and no temporary file left.
    err=$( (ulimit -f 0 && exec "${convert[@]}" checks.pbn) 2>&1 >/dev/null)
    [ $? = 1 ] && [[ $err == *"Cannot write checks_1-6.lin: File too large."* ]] && ! ls .quillotan-* 2>/dev/null ||
        { echo "FAIL: size limit"; failed=1; }
    # A reader that goes away costs the paths, not the files: every source converts, status 1.
    rm checks_*.lin && "${convert[@]}" good.pbn checks.pbn bad.pbn 2>err.txt | true
    [ "${PIPESTATUS[0]}" = 1 ] && [ -f checks_19-24.lin ] && grep -q "output: Broken pipe" err.txt ||
        { echo "FAIL: closed pipe"; failed=1; }
fi
# The manual page says what --help says of the set's numbers.
manual=$(tr '\n' ' ' <"$here/../desktop/quillotan-convert.1" | sed 's/\\-/-/g')
while read -r text; do
    [[ ${manual,,} == *"${text,,}"* ]] || { echo "FAIL: the manual page lacks: $text"; failed=1; }
done < <("${convert[@]}" --help | tr -d '\r' | awk '/^  --(boards|per-file|fillers)/ {
    if (t) print t; sub(/^  --[a-z-]+ [A-Z] +/, ""); t = $0; next }
    /^ {16}[^ ]/ && t { sub(/^ +/, ""); t = t " " $0; next } t { print t; t = "" }')
# Paths that cannot be written are a failure.
if [ -w /dev/full ]; then
    "${convert[@]}" good.pbn >/dev/full 2>err.txt && { echo "FAIL: /dev/full gave 0"; failed=1; }
    grep -q "cannot write to standard output: No space left on device" err.txt ||
        { echo "FAIL: /dev/full unreported"; failed=1; }
fi
exit $failed
