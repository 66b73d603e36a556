#!/usr/bin/env bash
# With Wendrel's shell extension enabled when GNOME Shell starts, the keys of
# a task reach the program it started even after another window has taken
# the focus, and keys with no program to go to are not sent at all while
# Wendrel's own window has the focus ({ENTER} there would open a task).
# Before that, while org.gnome.ScreenSaver says the screen is locked (a
# stand-in: the headless shell has no lock screen of its own), a task's TYPE
# line sends nothing; once it says unlocked, the keys arrive in full.
set -euo pipefail
tools=dbus-send
source "$(dirname "$0")/lib.sh"

gnome_extensions=("$own_extension")
start_gnome
expect_typing_held_while_locked gnome
stop "$wendrel"
windows() { gdbus call --session -d org.gnome.Shell -o /io/github/wendrel/Windows -m io.github.wendrel.Windows."$@"; }
wait_for 'windows FocusedPid >/dev/null 2>&1' 100 || fail "the extension does not answer"

run_task "EXEC $target $work/typed.txt" 'WAIT 4' 'TYPE Hallo{ENTER}' 'TYPE ^q' 'WAIT 5' 'TYPE {ENTER}' \
    "EXEC touch $work/after-type"
wait_for 'windows List | grep -q "Wendrel typing target"' 100 || fail "the typing target shows no window"
# Another program comes up and takes the focus before the keys go.
"$target" "$work/other.txt" &
other=$!
wait_for '[ "$(windows FocusedPid)" = "(uint32 $other,)" ]' 50 || fail "the other window did not take the focus"
expect_typed $'Hallo\n' 100
[ ! -s "$work/other.txt" ] || fail "keys reached the window that had the focus: $(cat "$work/other.txt")"
echo "ok: the keys reached the started program, not the window that had taken the focus"

wait_for '! target_pid typed.txt >/dev/null' 50 || fail "Ctrl+Q did not end the started program"
# From here on every key that Wendrel presses through mutter is seen.
spawn dbus-monitor --session "type='method_call',interface='org.gnome.Mutter.RemoteDesktop.Session'" >"$work/keys.log"
wait_for 'grep -q NameAcquired "$work/keys.log"' 50 || fail "the bus cannot be watched"
windows Activate "[$wendrel]" >/dev/null
wait_for '[ "$(windows FocusedPid)" = "(uint32 $wendrel,)" ]' 30 || fail "Wendrel's window did not take the focus"
wait_for '[ -e "$work/after-type" ]' 100 || fail "the script did not reach its end"
sleep 0.5
! grep -q NotifyKeyboard "$work/keys.log" || fail "keys went out while Wendrel's own window had the focus"
[ ! -s "$work/other.txt" ] || fail "keys reached the other program: $(cat "$work/other.txt")"
echo "ok: keys with no program to go to did not go out while Wendrel's own window had the focus"
