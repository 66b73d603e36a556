#!/usr/bin/env bash
# On a real X display with a window manager and a tray: Wendrel starts
# minimized when asked to; a second start brings its window back, viewable and
# active, and ends; the same from standby in the tray.
# Uses a display of its own so that it cannot disturb other desktop tests.
set -euo pipefail
build="${1:?build folder}"
tools="xdotool xwininfo trayer"
source "$(dirname "$0")/lib.sh"

# With "Minimize on Startup" alone the window starts minimized, never shown normal.
printf ' 1 \r\n 0 \r\n' >"$work/Scripts.ini"
start_wendrel

# The main window, once the window manager has it.
wid=""
wm_state() { xprop -id "$wid" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }
find_window() {
    wid=$(xdotool search --all --pid "$wendrel" --name '^Wendrel V' 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && [ -n "$(wm_state)" ]
}
wait_for find_window 100 || fail "the main window did not appear"
[ "$(wm_state)" = Iconic ] || fail "the window started $(wm_state), not minimized"
echo "ok: Minimize on Startup starts the window minimized"

map_state() { xwininfo -id "$wid" | sed -n 's/.*Map State: //p'; }
[ "$(map_state)" = IsUnMapped ] || fail "the minimized window is mapped"

# Starts a second copy, which must end at once and bring the window back.
second_start() {
    local rc=0
    timeout 15 "$work/Wendrel" >"$work/second.log" 2>&1 || rc=$?
    [ "$rc" = 0 ] || fail "$1: exit status $rc"
    wait_for '[ "$(map_state)" = IsViewable ]' 50 || fail "$1: the window did not come back"
}
second_start "second start"
wait_for '[ "$(xdotool getactivewindow 2>/dev/null)" = "$wid" ]' 50 || fail "the window is not the active one"
echo "ok: a second start brings the minimized window back to the front"

# Standby (the button's Alt+S) hides the window behind the tray icon.
trayer --edge bottom --align right --widthtype pixel --width 100 >/dev/null 2>&1 &
pids+=($!)
sleep 1
xdotool windowactivate --sync "$wid" key --window "$wid" alt+s
wait_for '[ "$(map_state)" = IsUnMapped ]' 50 || fail "standby did not hide the window"
second_start "start during standby"
echo "ok: a second start brings the window back out of the tray"

kill -s TERM "$wendrel"
wait_for '! kill -0 "$wendrel" 2>/dev/null' 100 || fail "the first instance did not end on SIGTERM"
