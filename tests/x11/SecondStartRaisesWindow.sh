#!/usr/bin/env bash
# On a real X display with a window manager and a tray: Wendrel starts
# minimized when asked to; a second start brings its window back, viewable and
# active, and ends; the same from standby in the tray.
# Uses a display of its own so that it cannot disturb other desktop tests.
set -euo pipefail
build="${1:?build folder}"
if [ -z "${WENDREL_OWN_DISPLAY:-}" ]; then
    export WENDREL_OWN_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
unset QT_QPA_PLATFORM
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do
        kill -9 "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

openbox >/dev/null 2>&1 &
pids+=($!)
# Windows mapped while the window manager is still starting may be lost.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
cp "$build/Wendrel" "$work/"
# With "Minimize on Startup" alone the window starts minimized, never shown normal.
printf ' 1 \r\n 0 \r\n' >"$work/Scripts.ini"
"$work/Wendrel" >"$work/first.log" 2>&1 &
first=$!
pids+=("$first")

# The main window, once the window manager has it.
wid=""
wm_state() { xprop -id "$wid" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }
for _ in $(seq 100); do
    wid=$(xdotool search --all --pid "$first" --name '^Wendrel V' 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && [ -n "$(wm_state)" ] && break
    sleep 0.1
done
[ -n "$wid" ] || { xdotool search --pid "$first" 2>&1; cat "$work/first.log"; xwininfo -root -tree | head -30; fail "the main window did not appear"; }
[ "$(wm_state)" = Iconic ] || fail "the window started $(wm_state), not minimized"
echo "ok: Minimize on Startup starts the window minimized"

map_state() { xwininfo -id "$wid" | sed -n 's/.*Map State: //p'; }
[ "$(map_state)" = IsUnMapped ] || fail "the minimized window is mapped"

rc=0
timeout 15 "$work/Wendrel" >"$work/second.log" 2>&1 || rc=$?
[ "$rc" = 0 ] || fail "second start: exit status $rc"
for _ in $(seq 50); do [ "$(map_state)" = IsViewable ] && break; sleep 0.1; done
[ "$(map_state)" = IsViewable ] || fail "the window did not come back"
for _ in $(seq 50); do [ "$(xdotool getactivewindow 2>/dev/null)" = "$wid" ] && break; sleep 0.1; done
[ "$(xdotool getactivewindow)" = "$wid" ] || fail "the window is not the active one"
echo "ok: a second start brings the minimized window back to the front"

# Standby (the button's Alt+S) hides the window behind the tray icon.
trayer --edge bottom --align right --widthtype pixel --width 100 >/dev/null 2>&1 &
pids+=($!)
sleep 1
xdotool windowactivate --sync "$wid" key --window "$wid" alt+s
for _ in $(seq 50); do [ "$(map_state)" = IsUnMapped ] && break; sleep 0.1; done
[ "$(map_state)" = IsUnMapped ] || fail "standby did not hide the window"
rc=0
timeout 15 "$work/Wendrel" >"$work/third.log" 2>&1 || rc=$?
[ "$rc" = 0 ] || fail "start during standby: exit status $rc"
for _ in $(seq 50); do [ "$(map_state)" = IsViewable ] && break; sleep 0.1; done
[ "$(map_state)" = IsViewable ] || fail "the window did not come back out of the tray"
echo "ok: a second start brings the window back out of the tray"

kill -s TERM "$first"
for _ in $(seq 100); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$first" 2>/dev/null || fail "the first instance did not end on SIGTERM"
