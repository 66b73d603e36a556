#!/usr/bin/env bash
# With the screen locked (a screen saver on a session bus of the test's own
# says so), a task's TYPE line sends nothing: on X11 the keys would land in
# the locker's password field. Once it says unlocked, the keys arrive in full.
set -euo pipefail
tools="dbus-send" own_bus=1
source "$(dirname "$0")/lib.sh"
expect_typing_held_while_locked freedesktop
