#!/usr/bin/env bash
# The real program, with a task whose script waits for a day:
# - SIGTERM, SIGINT and SIGHUP each end it within about two seconds and save
#   the task list;
# - with a folder that cannot take the list, SIGTERM still ends it and the
#   list is left in the user's data folder;
# - an edit made through the window is on disk without any exit, so a kill -9
#   right after it keeps it (and leaves no lock behind);
# - under a small stack, scripts that keep waiting while the next ones start
#   stay within their nesting cap.
# Uses a display of its own (with a window manager) for the window's parts.
set -euo pipefail
set -m  # background jobs keep SIGINT (a script's jobs would ignore it)
tools="xdotool flock"
source "$(dirname "$0")/lib.sh"
export XDG_DATA_HOME="$work/data"

# An Other task due on every tick whose script waits 100,000 seconds, as the
# file holds it and as the program's writer widens it.
wide_line="Waits               ~$(printf '%50s' '')~5~0~0~0~0~0~0~0~0~1~1~wait.wdx                 "$'\r'
# Makes folder $1 with a copy of the program and that task (or the line $2,
# waiting $3 seconds), and starts the program there unless $2 is given.
start_in() {
    d=$work/$1
    mkdir -p "$d"
    cp "$build/wendrel" "$d/"
    printf '%s\r\n' "${2:-Waits~~5~0~0~0~0~0~0~0~0~1~1~wait.wdx}" >"$d/Scripts.dat"
    printf 'WAIT %s\r\n' "${3:-100000}" >"$d/wait.wdx"
    [ -n "${2:-}" ] && return
    exe=$d/wendrel start_wendrel
    main_window "$wendrel" "for $1"
}
# Sends signal $1 to process $2, which is killed if it has not ended within
# 3 seconds; its exit status goes to $rc.
ends() {
    kill -s "$1" "$2" || true
    (sleep 3; kill -9 "$2") 2>/dev/null &
    rc=0
    wait "$2" || rc=$?
}

# --- Nested waiting scripts under a small stack (started first, checked last)
# Every second the task starts again inside the wait of its last run; without
# a cap the runs pile up, about 2 KB of stack each, until the stack overflows
# (after about 30 s with 136 KB). Offscreen, where the start-up needs less
# stack than on a display.
start_in nesting 'Nest~~5~0~0~0~0~0~0~0~1~1~1~wait.wdx' 30
spawn bash -c 'ulimit -s 136 && QT_QPA_PLATFORM=offscreen exec "$0"' "$d/wendrel" >"$d/out.log" 2>&1
nest_pid=$! nest_started=$SECONDS

# --- Every way out ends the process while the script waits, and saves -------
for way in TERM INT HUP; do
    start_in "exit-$way"
    sleep 1.5   # the task has started and waits
    ends "$way" "$wendrel"
    [ "$rc" = 0 ] || fail "$way: status $rc, not a quick success, while the script waits"
    [ "$(cat "$d/Scripts.dat")" = "$wide_line" ] || fail "$way: Scripts.dat was not saved"
done
echo "ok: TERM, INT and HUP end the program during a long WAIT and save the task list"

# --- A save that fails leaves the list in the user's data folder -------------
start_in readonly
rm "$d/Scripts.dat" && mkdir "$d/Scripts.dat"   # no save can replace it, not even root's
ends TERM "$wendrel"
[ "$rc" != 137 ] || fail "read-only folder: SIGTERM did not end the program"
fallback=$(ls "$XDG_DATA_HOME"/wendrel/Scripts-*.dat 2>/dev/null | head -1 || true)
[ -n "$fallback" ] && [ "$(cat "$fallback")" = "$wide_line" ] || fail "read-only folder: the list is not kept in $XDG_DATA_HOME/wendrel"
grep -q "$fallback" "$work/out.log" || fail "read-only folder: stderr does not say where the list went"
echo "ok: SIGTERM with a folder that takes no save ends and leaves the list in the data folder"

# --- An edit through the window is on disk at once ---------------------------
start_in edit
# Enter on the first row opens the editor with the name focused; Alt+S saves.
xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool mousemove --window "$window" 40 52 click 1 sleep 0.3 key Return sleep 0.8 key ctrl+a type Edited
xdotool sleep 0.3 key alt+s  # (type takes every word after it)
wait_for "grep -q '^Edited ' $d/Scripts.dat" 30 || true
ends KILL "$wendrel"
grep -q '^Edited  *~.*~wait.wdx' "$d/Scripts.dat" || fail "the edit was not on disk: $(cat "$d/Scripts.dat")"
lock=$XDG_RUNTIME_DIR/wendrel-$(printf '%x-%x' $(stat -c '%d %i' "$d")).lock
[ -e "$lock" ] && flock -n "$lock" true || fail "the killed instance left its lock taken or removed"
echo "ok: an edit through the window survives a kill -9 right after it, which leaves no lock"

# --- The nested runs, 36 s after their start -----------------------------------
sleep $((nest_started + 36 - SECONDS)) 2>/dev/null || true
ends TERM "$nest_pid"
[ "$rc" = 0 ] || fail "nested runs under a small stack: status $rc"
echo "ok: nested runs under a 136 KB stack stay within their cap"
