#!/usr/bin/env bash
# The built program as a user meets it, under a real X server with a window manager: the
# window maximised, "Get Deal File" pressed from the keyboard, the source's name typed into
# the dialog, Enter, the four files, "Exit" from the keyboard and status 0; then the program
# started with a file named on its command line (a name that is no UTF-8), which it converts
# at once.
set -euo pipefail
program=$(realpath "$1")
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
# A failure shows the logs of the window manager and the program, where they exist.
fail() { echo "FAIL: $*" >&2; tail -n 20 "$work"/*.log >&2 2>/dev/null; exit 1; }
# Waits up to ten seconds, or as many as a third argument says (a first start on a bare
# machine can be slow: the window manager's first run builds its caches).
wait_for() { for _ in $(seq $((${3:-10} * 10))); do eval "$1" && return; sleep 0.1; done; fail "$2"; }

mkdir "$work/Übungen"
cp "$(dirname "$0")/cases/bigdeal2_24/deals.pbn" "$work/Übungen/club night.pbn"
base="$work/Übungen/club night"
four_files='[ -f "${base}_1-6.lin" ] && [ -f "${base}_13-18.lin" ] && grep -qs "|Board 24|" "${base}_19-24.lin"'

# --version needs no display.
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" --version | grep -q '^quillotan [0-9]' ||
    fail "--version without a display"
# Without a display the window says what to use instead, and ends with status 2.
status=0 && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" x.pbn 2>"$work/err.txt" || status=$?
[ "$status" = 2 ] && grep -q "needs a display; quillotan-convert converts" "$work/err.txt" ||
    fail "no display: status $status, $(cat "$work/err.txt")"

display=99
while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
export DISPLAY=":$display"
wait_for 'xdpyinfo >/dev/null 2>&1' "no X server"
openbox >"$work/openbox.log" 2>&1 & pids+=($!)
wait_for '[[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id"* ]]' \
    "no window manager" 60

# Qt's own dialog opens in the home folder: the source's, so that only ASCII is typed.
unset QT_QPA_PLATFORMTHEME
export QT_QPA_PLATFORM=xcb HOME="$work/Übungen"
"$program" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Creating 4 Lin Files') ||
    fail "the window did not appear"
wait_for 's=$(xprop -id "$window" _NET_WM_STATE); [[ $s == *_VERT* && $s == *_HORZ* ]]' "not maximised"
xdotool windowactivate --sync "$window" key space
wait_for '[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "Find 24-Board pbn File" ]' \
    "the open-file dialog did not appear"
xdotool type --delay 30 "club night.pbn"
xdotool key Return
wait_for "$four_files" "the dialog's file was not converted"

# Back in the window, focus is on "Get Deal File"; past the source's box, the shape's three
# numbers, the four files' boxes and the record's box (its choices are off while it is), ten
# tabs on, is "Exit".
xdotool windowactivate --sync "$window" key Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Return
wait_for '! kill -0 "$program_pid" 2>/dev/null' "Exit did not end the program"
wait "$program_pid" || fail "the program ended with status $?"

# A name that is no valid UTF-8 (Latin-1 é) converts from the command line as it is.
name=$'club night\xe9'
cp "$base.pbn" "$work/Übungen/$name.pbn" && base="$work/Übungen/$name"
(cd "$work/Übungen" && exec "$program" "$name.pbn") >>"$work/program.log" 2>&1 &
pids+=($!)
wait_for "$four_files" "the command line's file was not converted"
echo "PASS"
