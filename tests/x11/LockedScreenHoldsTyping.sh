#!/usr/bin/env bash
# With the screen locked (a screen saver on a session bus of the test's own
# says so), a task's TYPE line sends nothing: on X11 the keys would land in
# the locker's password field. Once it says unlocked, the keys arrive in full.
set -euo pipefail
tools="dbus-daemon dbus-send"
source "$(dirname "$0")/lib.sh"

dbus-daemon --session --nofork --nopidfile --print-address=1 >"$work/bus" 2>"$work/bus.log" &
pids+=($!)
wait_for '[ -s "$work/bus" ]' 50 || fail "the session bus did not start: $(cat "$work/bus.log")"
export DBUS_SESSION_BUS_ADDRESS
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
expect_typing_held_while_locked freedesktop
