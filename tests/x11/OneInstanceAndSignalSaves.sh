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
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# A failure while a folder is read-only must not keep it from being removed.
trap 'status=$?; chmod -R u+w "$work"; (exit $status); cleanup' EXIT

# An Other task due on every tick whose script waits 100,000 seconds, as the
# file holds it and as the program's writer widens it.
short_line='Waits~~5~0~0~0~0~0~0~0~0~1~1~wait.wdx'
wide_line="Waits               ~$(printf '%50s' '')~5~0~0~0~0~0~0~0~0~1~1~wait.wdx                 "

new_folder() {
    local d="$work/$1"
    mkdir -p "$d"
    cp "$build/wendrel" "$d/"
    printf '%s\r\n' "${2:-$short_line}" >"$d/Scripts.dat"
    printf 'WAIT %s\r\n' "${3:-100000}" >"$d/wait.wdx"
    echo "$d"
}

# Starts the program of folder $1 and waits for its main window; the process
# goes to $wendrel, the window to $window.
start() {
    exe=$1/wendrel start_wendrel
    main_window "$wendrel" || fail "no main window for $1"
    sleep 0.3
}

# Waits up to $2 seconds for process $1 to end; its exit status goes to $rc,
# the time it took to $took_ms.
ended() { ! kill -0 "$1" 2>/dev/null || [ "$(ps -o stat= -p "$1")" = Z ]; }
ends_within() {
    local t0
    t0=$(date +%s%N)
    wait_for "ended $1" $(($2 * 10)) || return 1
    took_ms=$((($(date +%s%N) - t0) / 1000000))
    rc=0
    wait "$1" || rc=$?
}

saved() { [ "$(cat "$1/Scripts.dat")" = "$wide_line"$'\r' ]; }

# --- Nested waiting scripts under a small stack (started first, checked last)
# Every second the task starts again inside the wait of its last run; without
# a cap the runs pile up, about 2 KB of stack each, until the stack overflows
# (after about 30 s with 136 KB). Offscreen, where the start-up needs less
# stack than on a display.
nest=$(new_folder nesting 'Nest~~5~0~0~0~0~0~0~0~1~1~1~wait.wdx' 30)
(ulimit -s 136; QT_QPA_PLATFORM=offscreen exec "$nest/wendrel") >"$nest/out.log" 2>&1 &
nest_pid=$!
pids+=("$nest_pid")
nest_started=$(date +%s)

# --- Every way out ends the process while the script waits, and saves -------
# (File > Exit takes the same way out; the window's tests trigger it.)
for way in TERM INT HUP; do
    d=$(new_folder "exit-$way")
    start "$d"; pid=$wendrel
    sleep 1.5   # the task has started and waits
    kill -s "$way" "$pid"
    ends_within "$pid" 3 || fail "$way: the program did not end while its script waits"
    [ "$rc" = 0 ] || fail "$way: exit status $rc"
    saved "$d" || fail "$way: Scripts.dat was not saved"
    echo "ok: $way ends the program during a long WAIT (in $took_ms ms) and saves the task list"
done

# --- A save that fails leaves the list in the user's data folder -------------
d=$(new_folder readonly)
start "$d"; pid=$wendrel
rm "$d/Scripts.dat"
mkdir "$d/Scripts.dat"   # no save can replace it, not even root's
chmod a-w "$d"
kill -s TERM "$pid"
ends_within "$pid" 3 || fail "read-only folder: SIGTERM did not end the program"
fallback=$(ls "$XDG_DATA_HOME"/wendrel/Scripts-*.dat 2>/dev/null | head -1 || true)
[ -n "$fallback" ] || fail "read-only folder: no list in $XDG_DATA_HOME/wendrel"
[ "$(cat "$fallback")" = "$wide_line"$'\r' ] || fail "read-only folder: the kept list differs"
grep -q "$fallback" "$work/out.log" || fail "read-only folder: stderr does not say where the list went"
echo "ok: SIGTERM with a folder that takes no save ends and leaves the list in the data folder"

# --- An edit through the window is on disk at once ---------------------------
d=$(new_folder edit)
start "$d"; pid=$wendrel
# Enter on the first row opens the editor with the name focused; Alt+S saves.
xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool mousemove --window "$window" 40 52 click 1 sleep 0.3 key Return sleep 0.8 key ctrl+a type Edited
xdotool sleep 0.3 key alt+s
wait_for "grep -q '^Edited ' $d/Scripts.dat" 30 || true
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
grep -q '^Edited  *~.*~wait.wdx' "$d/Scripts.dat" || fail "the edit was not on disk: $(cat "$d/Scripts.dat")"
lock=$XDG_RUNTIME_DIR/wendrel-$(printf '%x-%x' $(stat -c '%d %i' "$d")).lock
[ -e "$lock" ] && flock -n "$lock" true || fail "the killed instance left its lock taken or removed"
echo "ok: an edit through the window survives a kill -9 right after it, which leaves no lock"

# --- The nested runs, 36 s after their start -----------------------------------
sleep $((nest_started + 36 - $(date +%s))) 2>/dev/null || true
kill -0 "$nest_pid" 2>/dev/null || fail "nested runs under a small stack: the program died"
kill -s TERM "$nest_pid"
ends_within "$nest_pid" 3 || fail "nested runs: SIGTERM did not end the program"
[ "$rc" = 0 ] || fail "nested runs: exit status $rc"
echo "ok: nested runs under a 136 KB stack stay within their cap"
