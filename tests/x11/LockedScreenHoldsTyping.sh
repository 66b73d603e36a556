#!/usr/bin/env bash
# With the screen locked (a screen saver on a session bus of the test's own
# says so), a task's TYPE line sends nothing: on X11 the keys would land in
# the locker's password field. The run history says the typing is held; once
# the screen saver says unlocked, the keys arrive in full.
set -euo pipefail
build="${1:?build folder}"
tools="dbus-daemon dbus-send"
source "$(dirname "$0")/lib.sh"

dbus-daemon --session --nofork --nopidfile --print-address=1 >"$work/bus" 2>"$work/bus.log" &
pids+=($!)
wait_for '[ -s "$work/bus" ]' 50 || fail "the session bus did not start: $(cat "$work/bus.log")"
export DBUS_SESSION_BUS_ADDRESS
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
cp "$build/FakeScreenSaver" "$work/"
"$work/FakeScreenSaver" freedesktop &
saver=$!
pids+=("$saver")
saver_answers() {
    dbus-send --session --print-reply --dest=org.freedesktop.ScreenSaver /org/freedesktop/ScreenSaver \
        org.freedesktop.ScreenSaver.GetActive 2>/dev/null | grep -q "boolean $1"
}
wait_for 'saver_answers false' 50 || fail "the screen saver did not come up"
kill -USR1 "$saver"
wait_for 'saver_answers true' 50 || fail "the screen saver did not lock"

run_task "EXEC $target $work/typed.txt" 'WAIT 2' 'TYPE held{ENTER}back' 'TYPE ^q'
wait_for 'grep -q "typing held: the screen is locked" "$work/Wendrel.log" 2>/dev/null' 150 ||
    fail "the run history does not tell of the held typing"
sleep 1.5
[ ! -s "$work/typed.txt" ] || fail "keys arrived while the screen was locked: $(cat "$work/typed.txt")"
echo "ok: a TYPE line sends nothing while the screen is locked, and the history says so"

kill -USR2 "$saver"
expect_typed $'held\nback' 150
echo "ok: once the screen is unlocked the keys arrive in full"
