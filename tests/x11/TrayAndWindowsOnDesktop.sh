#!/usr/bin/env bash
# The real program on a desktop with a window manager (openbox) and a tray
# host (trayer): with "Minimize on Startup" the main window starts minimized
# after the splash; a second start ends at once, touches no file and brings
# the first one's window back, viewable and active, also out of Standby.
# Standby hides the window behind a tray icon, a right click on the icon does
# nothing, a left click opens the tray menu and Restore brings the window
# back. (The task editor is driven in OneInstanceAndSignalSaves, File > Exit
# and the About window in the widget tests.)
set -euo pipefail
tools="trayer xdotool xwininfo"
source "$(dirname "$0")/lib.sh"
# Visible windows at least 40 pixels high (a menu or a window, not the tip
# of the tray icon).
tall_windows() {
    for w in $(xdotool search --onlyvisible --classname . 2>/dev/null || true); do
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null || echo HEIGHT=0)"
        [ "$HEIGHT" -lt 40 ] || echo "$w"
    done | sort
}
map_state() { xwininfo -id "$window" | sed -n 's/.*Map State: //p'; }
standby() {
    xdotool windowactivate --sync "$window" key --window "$window" alt+s # the button's access key
    wait_for '[ "$(map_state)" = IsUnMapped ]' 50 || fail "Standby did not hide the window"
}
files() { cd "$work" && stat -c '%n %s %Y %a' Scripts.dat Scripts.ini && sha256sum Scripts.dat Scripts.ini; }
# A second start ends at once, leaves the files alone and shows the first
# one's window.
second_start() {
    before=$(files)
    timeout 15 "$work/wendrel" >"$work/second.log" 2>&1 || fail "$1: exit status $?"
    [ "$(files)" = "$before" ] || fail "$1 changed the task files"
    wait_for '[ "$(map_state)" = IsViewable ]' 50 || fail "$1: the window did not come back"
}

# --- The desktop and the program on a copy of its folder ---------------------
spawn trayer --edge top --align right --widthtype pixel --width 120 --heighttype pixel --height 28 \
    --SetDockType true >"$work/trayer.log" 2>&1
wait_for "xdotool search --onlyvisible --name '^panel$' >/dev/null 2>&1" 300 || fail "the tray host did not start"
sleep 1   # the tray host takes its selection after its window appears
printf 'Poll~~5~0~0~0~0~0~0~0~5~1~0~poll.wdx\r\n' >"$work/Scripts.dat"
printf ' 1 \r\n 0 \r\n' >"$work/Scripts.ini"
start_wendrel

# --- Minimized at the start, brought back by a second start -----------------
main_window "$wendrel" "after the splash"
[ "$(wm_state)" = Iconic ] || fail "the window started $(wm_state), not minimized"
echo "ok: Minimize on Startup starts the window minimized"
second_start "second start"
wait_for '[ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]' 50 || fail "the window is not the active one"
echo "ok: a second start leaves the files alone and brings the minimized window back to the front"
standby
second_start "start during standby"
echo "ok: a second start brings the window back out of the tray"

# --- Standby and restore through the tray ----------------------------------
standby
# The icon is a window of the program embedded in the tray host's panel.
tray_icon() {
    for icon in $(xdotool search --pid "$wendrel" --classname . 2>/dev/null || true); do
        eval "$(xdotool getwindowgeometry --shell "$icon")"
        [ "$Y" -lt 28 ] && [ "$X" -ge 1160 ] && [ "$WIDTH" -lt 60 ] && return 0
    done
    return 1
}
wait_for tray_icon 50 || fail "no tray icon appeared in the tray host"
echo "ok: Standby hides the window behind a tray icon"

sleep 1
before=$(tall_windows)
xdotool mousemove --window "$icon" 8 8 click 3
sleep 0.7
[ "$(tall_windows)" = "$before" ] || fail "a right click on the tray icon opened something"
xdotool mousemove --window "$icon" 8 8 click 1
wait_for 'menu=$(comm -13 <(echo "$before") <(tall_windows) | head -1); [ -n "$menu" ]' 30 || fail "a left click on the tray icon opened no menu"
echo "ok: right click does nothing, left click opens the tray menu"
# The first item is Restore Wendrel.
xdotool mousemove --window "$menu" 40 12 click 1
wait_for '[ "$(map_state)" = IsViewable ]' 100 || fail "Restore did not show the window"
sleep 0.5
xdotool search --onlyvisible --classname . 2>/dev/null | grep -qx "$icon" && fail "the tray icon stayed after Restore"
echo "ok: Restore shows the window and removes the icon"
