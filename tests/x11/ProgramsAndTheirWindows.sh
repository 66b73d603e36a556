#!/usr/bin/env bash
# What a task's program is, on a desktop with openbox: keys of a TYPE line
# whose program has no window never reach Wendrel's own window; RUN ...,1
# waits for a program without any window; a launcher script that starts the
# real program in the background and ends is waited for (also while its
# window is minimized: the wait brings it back) and typed into, even though
# its window maps well after the TYPE line began, and the keys reach no other
# window. A started program gets the environment Wendrel was started with.
# Lookup and activation survive a desktop where windows come
# and go by the thousand, and the end of the X server.
set -euo pipefail
tools="xdotool xwininfo"
source "$(dirname "$0")/lib.sh"

# The lookup of a program's windows while it maps and destroys windows as
# fast as it can.
"$build/WindowLookupLoop" churn 20 || fail "the lookup crashed among windows coming and going"
echo "ok: looking up windows survives windows coming and going"

# The launcher starts the program it is given after a delay, and ends.
printf 'sleep 1.5\n"$1" "$2" &\n' >"$work/launcher.sh"
unset QT_XCB_NO_MITSHM
run_task "EXEC sh -c 'env >$work/environment'" 'WAIT 4' 'TYPE {ENTER}' \
    "EXEC sh -c 'date +%s.%N >$work/before-sleep'" 'RUN sleep 3,1' "EXEC sh -c 'date +%s.%N >$work/after-sleep'" \
    "EXEC $target $work/decoy.txt" 'WAIT 2' "EXEC sh $work/launcher.sh $target $work/typed.txt" 'TYPE hello{ENTER}' \
    "RUN sh $work/launcher.sh $target $work/waited.txt,1" "EXEC touch $work/after-wait"

# Wendrel's own window is the active one when the first TYPE line comes.
main_window "$wendrel"
xdotool windowactivate --sync "$window"
wait_for '[ -s "$work/after-sleep" ]' 150 || fail "the script did not get past RUN sleep 3,1"
# A started program gets the environment Wendrel got, not what Wendrel set
# for its own windows.
grep -q '^HOME=' "$work/environment" || fail "the started program got no HOME"
! grep -q '^QT_XCB_NO_MITSHM=' "$work/environment" || fail "Wendrel's own QT_XCB_NO_MITSHM reached a started program"
[ "$(xdotool search --onlyvisible --pid "$wendrel" | wc -l)" = 1 ] || fail "keys reached Wendrel's window"
echo "ok: no keys reached Wendrel's own window"
waited=$(awk '{ t[NR] = $1 } END { printf "%.2f", t[2] - t[1] }' "$work/before-sleep" "$work/after-sleep")
awk -v w="$waited" 'BEGIN { exit !(w >= 2.9 && w < 6) }' || fail "RUN sleep 3,1 waited $waited s"
echo "ok: RUN sleep 3,1 waited $waited s"

expect_typed $'hello\n' 200
[ ! -s "$work/decoy.txt" ] || fail "keys reached the active window: $(cat "$work/decoy.txt")"
echo "ok: the keys waited for the launched program's window and reached it alone"

wait_for 'w=$(xdotool search --onlyvisible --pid "$(target_pid waited.txt)" 2>/dev/null | head -1) && [ -n "$w" ]' 100 ||
    fail "the RUN line's program shows no window"
xdotool windowminimize "$w"
sleep 2.5   # two of the wait's once-a-second looks at the window
[ ! -e "$work/after-wait" ] || fail "RUN ...,1 went on while the launched program's window was minimized"
wait_for 'xwininfo -id "$w" | grep -q "Map State: IsViewable"' 30 || fail "the wait did not bring the window back"
xdotool windowactivate --sync "$w" key --clearmodifiers ctrl+q
wait_for '[ -e "$work/after-wait" ]' 50 || fail "the script did not go on after the launched program ended"
wait_for '! ps --ppid "$wendrel" -o stat= | grep -q Z' 20 || fail "ended programs are left as zombies"
echo "ok: RUN ...,1 waited for the program its launcher started, which was reaped"

# The X server ends: the lookup ends through its handler, Wendrel without a crash.
"$build/WindowLookupLoop" "$wendrel" 60 >"$work/lost.log" 2>&1 &
lookup=$!
sleep 1
kill -9 "$(cat "/tmp/.X${DISPLAY#:}-lock")"
rc=0; wait "$lookup" || rc=$?
[ "$rc" = 3 ] || fail "the lookup ended with status $rc on the loss of the X server"
rc=0; wait "$wendrel" || rc=$?
[ "$rc" -lt 128 ] || fail "Wendrel crashed (status $rc) when the X server ended"
echo "ok: the end of the X server ends the lookup and Wendrel cleanly (Wendrel: status $rc)"
