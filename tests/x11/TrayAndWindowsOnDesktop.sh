#!/usr/bin/env bash
# The real program on a desktop with a window manager (openbox) and a tray
# host (trayer): the main window appears after the splash, Standby hides it
# behind a tray icon, a right click on the icon does nothing, a left click
# opens the tray menu and Restore brings the window back; Help > About and
# the task editor open; File > Exit ends the program and writes both files.
# Screenshots go to $WENDREL_SHOTS (default: a temporary folder) so that the
# windows can be looked at.
set -euo pipefail
build="${1:?build folder}"
tools="trayer xdotool import"
source "$(dirname "$0")/lib.sh"
shots="${WENDREL_SHOTS:-$work/shots}"
mkdir -p "$shots"
shot() { import -window root "$shots/$1.png" && echo "screenshot: $shots/$1.png"; }

# Waits (up to 10 s) until a visible window's name matches; its id goes to $found.
wait_window() {
    name=$1
    wait_for 'found=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -1 || true); [ -n "$found" ]' 100
}
wait_gone() {
    name=$1
    wait_for '! xdotool search --onlyvisible --name "$name" >/dev/null 2>&1' 100
}
visible_windows() { xdotool search --onlyvisible --classname . 2>/dev/null | sort || true; }
# New visible windows since $1 that are at least 40 pixels high (a menu or a
# window, not the tip of the tray icon).
new_windows() {
    for w in $(comm -13 <(echo "$1") <(visible_windows)); do
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null || echo HEIGHT=0)"
        [ "$HEIGHT" -ge 40 ] && echo "$w"
    done
    return 0
}

# --- The desktop ------------------------------------------------------------
trayer --edge top --align right --widthtype pixel --width 120 --heighttype pixel --height 28 \
    --SetDockType true >"$work/trayer.log" 2>&1 &
pids+=($!)
wait_window '^panel$' || fail "the tray host did not start"
sleep 1   # the tray host takes its selection after its window appears

# --- The program on a copy of its folder ----------------------------------
printf 'Backup~Nightly copy~1~0~9~30~0~0~0~0~0~0~1~backup.wdx\r\nPoll~~5~0~0~0~0~0~0~0~5~1~0~poll.wdx\r\n' \
    >"$work/Scripts.dat"
printf ' 0 \r\n 0 \r\n' >"$work/Scripts.ini"
start_wendrel
app=$wendrel

# The splash comes first (its caption is the bare name) and closes itself.
if wait_window '^Wendrel$'; then shot splash; fi
wait_window '^Wendrel V1.00$' || fail "the main window did not appear"
main=$found
wait_gone '^Wendrel$' || fail "the splash window did not close"
sleep 0.5
shot main
echo "ok: the main window appears after the splash"

# --- Standby and restore through the tray ----------------------------------
# The windows scale with the desktop's face: buttons are pressed by their
# access keys, menus opened from their first title.
xdotool windowactivate --sync "$main" key --window "$main" alt+s
wait_gone '^Wendrel V1.00$' || fail "Standby did not hide the window"
icon=""
for _ in $(seq 50); do
    # The icon is a window of the program embedded in the tray host's panel.
    for w in $(xdotool search --pid "$app" --classname . 2>/dev/null || true); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        if [ "$Y" -lt 28 ] && [ "$X" -ge 1160 ] && [ "$WIDTH" -lt 60 ]; then icon=$w; break 2; fi
    done
    sleep 0.1
done
[ -n "$icon" ] || fail "no tray icon appeared in the tray host"
eval "$(xdotool getwindowgeometry --shell "$icon")"
ix=$((X + WIDTH / 2)); iy=$((Y + HEIGHT / 2))
shot standby
echo "ok: Standby hides the window behind a tray icon"

sleep 1
before=$(visible_windows)
xdotool mousemove "$ix" "$iy" click 3
sleep 0.7
[ -z "$(new_windows "$before")" ] || fail "a right click on the tray icon opened something"
xdotool mousemove "$ix" "$iy" click 1
menu=""
for _ in $(seq 30); do
    menu=$(new_windows "$before" | head -1)
    [ -n "$menu" ] && break
    sleep 0.1
done
[ -n "$menu" ] || fail "a left click on the tray icon opened no menu"
shot traymenu
echo "ok: right click does nothing, left click opens the tray menu"
# The first item is Restore Wendrel.
xdotool mousemove --window "$menu" 40 12 click 1
wait_window '^Wendrel V1.00$' || fail "Restore did not show the window"
main=$found
sleep 0.5
xdotool search --onlyvisible --classname . 2>/dev/null | grep -qx "$icon" && fail "the tray icon stayed after Restore"
echo "ok: Restore shows the window and removes the icon"

# --- Help > About ------------------------------------------------------------
xdotool mousemove --window "$main" 19 8 click 1
sleep 0.6
xdotool key Right Right Up Return   # File, Options, Help; About is its last item
wait_window '^About Wendrel 1.00$' || fail "Help > About opened no About window"
about=$found
sleep 0.5
shot about
xdotool key Return   # OK is the default button
wait_gone '^About Wendrel 1.00$' || fail "OK did not close the About window"
echo "ok: About opens and OK closes it"

# --- The task editor (Enter on the current row) ------------------------------
before=$(visible_windows)
xdotool mousemove --window "$main" 40 75 click 1   # a row near the top
sleep 0.3
xdotool key Return
editor=""
for _ in $(seq 20); do
    editor=$(new_windows "$before" | head -1)
    [ -n "$editor" ] && break
    sleep 0.1
done
if [ -n "$editor" ]; then
    sleep 0.5
    shot editor
    echo "ok: the task editor opens ($(xdotool getwindowname "$editor"))"
    # Cancel hides it again.
    xdotool key alt+c
    sleep 0.5
else
    echo "note: Enter opened no task editor"
fi

# --- File > Exit ---------------------------------------------------------------
main=$(xdotool search --onlyvisible --name '^Wendrel V1.00$' | head -1)
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool mousemove --window "$main" 19 8 click 1
sleep 0.6
xdotool key Up Return   # Up from the menu's top wraps to its last item, Exit
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "File > Exit did not end the program"
wait "$app" || fail "the program ended with status $?"
grep -q '^Backup              ~Nightly copy ' "$work/Scripts.dat" || fail "Exit did not write Scripts.dat"
[ "$(cat "$work/Scripts.ini")" = $' 0 \r\n 0 \r' ] || fail "Exit did not write Scripts.ini"
echo "ok: File > Exit ends the program and writes both files"
