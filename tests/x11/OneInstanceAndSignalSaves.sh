#!/usr/bin/env bash
# The real program on a fresh folder: a second start leaves the running one and
# the files alone, a killed instance does not block the next start, and
# SIGTERM, SIGINT and SIGHUP save the task list as closing the window does.
# Runs offscreen: no display is needed.
set -euo pipefail
set -m  # background jobs keep SIGINT (a script's jobs would ignore it)
build="${1:?build folder}"
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do
        kill -9 "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# A short task line that the program's writer widens to the fixed format.
short_line='Poll~~5~0~0~0~0~0~0~0~5~1~0~poll.wdx'
wide_line='Poll                ~                                                  ~5~0~0~0~0~0~0~0~5~1~0~poll.wdx                 '

new_folder() {
    local d="$work/$1"
    mkdir -p "$d"
    cp "$build/Wendrel" "$d/"
    printf '%s\r\n' "$short_line" > "$d/Scripts.dat"
    printf ' 0 \r\n 0 \r\n' > "$d/Scripts.ini"
    echo "$d"
}

# Waits until a running instance holds the folder's lock.
wait_locked() {
    local d=$1
    for _ in $(seq 100); do
        if [ -e "$d/.Wendrel.lock" ] && ! flock -n "$d/.Wendrel.lock" true; then return 0; fi
        sleep 0.1
    done
    fail "no instance took the lock of $d"
}

# Waits for a process to end; its exit status goes to $rc.
wait_exit() {
    local pid=$1
    for _ in $(seq 150); do
        if ! kill -0 "$pid" 2>/dev/null || [ "$(ps -o stat= -p "$pid")" = Z ]; then
            rc=0
            wait "$pid" || rc=$?
            return 0
        fi
        sleep 0.1
    done
    fail "process $pid did not end"
}

start() {
    "$1/Wendrel" >"$1/out.log" 2>&1 &
    started=$!
    pids+=("$started")
}

# --- Each signal closes the window, and its unload writes the store --------
for sig in TERM INT HUP; do
    d=$(new_folder "sig-$sig")
    start "$d"; pid=$started
    wait_locked "$d"
    sleep 0.5
    kill -s "$sig" "$pid"
    wait_exit "$pid"
    [ "$rc" = 0 ] || fail "SIG$sig: exit status $rc"
    [ "$(cat "$d/Scripts.dat")" = "$wide_line"$'\r' ] || fail "SIG$sig: Scripts.dat was not written by the unload"
    [ -z "$(ls -A "$d" | grep -E '^\.Scripts' || true)" ] || fail "SIG$sig: a temporary file was left behind"
    echo "ok: SIG$sig saves the task list"
done

# --- A second start shows the first and touches nothing -------------------
d=$(new_folder second)
start "$d"; first=$started
wait_locked "$d"
sleep 0.5
before=$(cd "$d" && stat -c '%n %s %Y %a' Scripts.dat Scripts.ini && sha256sum Scripts.dat Scripts.ini)
rc=0
timeout 15 "$d/Wendrel" >"$d/second.log" 2>&1 || rc=$?
[ "$rc" = 0 ] || fail "second start: exit status $rc"
after=$(cd "$d" && stat -c '%n %s %Y %a' Scripts.dat Scripts.ini && sha256sum Scripts.dat Scripts.ini)
[ "$before" = "$after" ] || fail "second start changed the files"
kill -0 "$first" 2>/dev/null || fail "the first instance ended"
echo "ok: a second start leaves the running instance and the files alone"

# --- A killed instance leaves no lock that blocks ------------------------
kill -9 "$first"
wait "$first" 2>/dev/null || true
start "$d"; third=$started
wait_locked "$d"
sleep 0.5
kill -0 "$third" 2>/dev/null || fail "the start after a killed instance did not stay up"
kill -s TERM "$third"
wait_exit "$third"
[ "$rc" = 0 ] || fail "start after a kill: exit status $rc"
[ "$(cat "$d/Scripts.dat")" = "$wide_line"$'\r' ] || fail "start after a kill: store not saved"
echo "ok: a stale lock of a killed instance does not block"
