#!/usr/bin/env bash
# The built program as a user meets it, under a real X server with a window manager:
# press the focused "Get Deal File" from the keyboard, type the source path into the
# dialog's file-name field, press Enter, find the four files, leave with "Exit" from the
# keyboard, and check that the program ends with status 0.
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$work/Übungen"
source="$work/Übungen/club night.pbn"
cp "$here/cases/dealt-from-north/ps.pbn" "$source"

# A display of our own.
display=99
while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# Qt's own dialog, which has a file-name field to type into. It opens in the home folder;
# making that the source's folder keeps what is typed to the characters xdotool can type.
unset QT_QPA_PLATFORMTHEME
export QT_QPA_PLATFORM=xcb HOME="$work/Übungen"
"$program" >"$work/program.log" 2>&1 &
program_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Creating 4 Lin Files from a 24-board PBN$' | head -n 1) ||
    fail "the window did not appear"
for _ in $(seq 50); do
    state=$(xprop -id "$window" _NET_WM_STATE 2>/dev/null || true)
    [[ $state == *MAXIMIZED_VERT* && $state == *MAXIMIZED_HORZ* ]] && break
    sleep 0.1
done
[[ $state == *MAXIMIZED_VERT* && $state == *MAXIMIZED_HORZ* ]] || fail "not maximised: $state"

xdotool windowactivate --sync "$window"
xdotool key space
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Find 24-Board pbn File$' | head -n 1) ||
    fail "the open-file dialog did not appear"
sleep 0.5
xdotool type --delay 30 "$(basename "$source")"
xdotool key Return

base="${source%.pbn}"
four_files() {
    for _ in $(seq 100); do
        [ -f "${base}_1-6.lin" ] && [ -f "${base}_7-12.lin" ] && [ -f "${base}_13-18.lin" ] &&
            grep -qs '|Board 24|' "${base}_19-24.lin" && return
        sleep 0.1
    done
    fail "the four files were not written $1: $(ls "$work/Übungen")"
}
four_files "from the dialog"

# Back in the window, focus is on "Get Deal File"; six tabs on is "Exit".
xdotool windowactivate --sync "$window"
xdotool key Tab Tab Tab Tab Tab Tab Return
for _ in $(seq 100); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program_pid" 2>/dev/null && fail "Exit did not end the program"
wait "$program_pid" && status=0 || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"

# A file named on the command line, relative to the current folder, is converted at once.
rm "$base"_*.lin
(cd "$work/Übungen" && exec "$program" "$(basename "$source")") >>"$work/program.log" 2>&1 &
pids+=($!)
four_files "from the command line"
echo "PASS: converted from the keyboard, left with Exit, status 0; converted from the command line"
