#!/usr/bin/env bash
# The real program runs a task whose script starts a program and types into
# it: the keys every typing test sends, characters no key of the layout
# produces (from Windows-1252 and UTF-8 lines), and Ctrl+Q. The program
# records exactly what arrived. Then, with the screen locked (a screen saver
# on a session bus of the test's own says so), a TYPE line sends nothing: on
# X11 the keys would land in the locker's password field. Once it says
# unlocked, the keys arrive in full.
# Uses a display of its own, with openbox as the window manager.
set -euo pipefail
tools="dbus-send" own_bus=1
source "$(dirname "$0")/lib.sh"

# CR LF lines, each read in its own encoding: the second TYPE line ends in
# Windows-1252 (\351 is e acute, \200 the euro sign), the third is UTF-8.
run_task "EXEC $target $work/typed.txt" 'WAIT 3' "${typing_keys[0]}" "${typing_keys[1]}"$'\351\200' \
    $'TYPE  caf\303\251' 'TYPE ^q'

# The keys were sent without waiting for the program to read them; on a busy
# machine it may still be at it.
expect_typed "$typed_keys"'é€ café' 400
echo "ok: every keystroke of the TYPE lines arrived, and Ctrl+Q ended the program"
stop "$wendrel"
expect_typing_held_while_locked freedesktop
