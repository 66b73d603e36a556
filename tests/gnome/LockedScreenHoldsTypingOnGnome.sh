#!/usr/bin/env bash
# In a GNOME Shell session, while org.gnome.ScreenSaver says the screen is
# locked (a stand-in: the headless shell has no lock screen of its own), a
# task's TYPE line sends nothing; once it says unlocked, the keys arrive in
# full.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
command -v dbus-send >/dev/null || { echo "skipped: dbus-send is not installed"; exit $gnome_skip; }

start_gnome
expect_typing_held_while_locked gnome
