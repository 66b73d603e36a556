#!/usr/bin/env bash
# In a GNOME Shell session, while org.gnome.ScreenSaver says the screen is
# locked (a stand-in: the headless shell has no lock screen of its own), a
# task's TYPE line sends nothing; once it says unlocked, the keys arrive in
# full.
set -euo pipefail
tools=dbus-send
source "$(dirname "$0")/lib.sh"

start_gnome
expect_typing_held_while_locked gnome
