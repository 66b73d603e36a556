#!/usr/bin/env bash
# The program steered from a terminal and over D-Bus:
# - with none running, --list reads the task list from its file, --disable
#   changes it there and --run says that none runs;
# - against the running one, --list lists, --run runs a task named with a
#   blank and accented letters, --disable and --enable (by position, by name
#   in another case) are on disk at once, and a name no task has ends with
#   status 1 and one line on stderr;
# - on a session bus of the test's own, Enable does the same, and a name no
#   task has is a D-Bus error.
set -euo pipefail
build="${1:?build folder}"
command -v dbus-run-session >/dev/null || { echo "skipped: dbus-run-session is not installed"; exit 0; }
[ -n "${WENDREL_OWN_BUS:-}" ] || WENDREL_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
tools="xdotool gdbus"
source "$(dirname "$0")/lib.sh"
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
w=$work/wendrel

# An Hourly task half an hour away, and an inactive one whose script leaves a
# file behind; the second name as the task list holds it, in Windows-1252.
printf 'Backup home~~0~0~0~0~0~0~0~%d~0~0~1~idle.wdx\r\nCaf\xe9 \xdcber~~5~0~0~0~0~0~0~0~60~0~0~touch.wdx\r\n' \
    $((($(date +%-M) + 30) % 60)) >"$work/Scripts.dat"
printf 'RUN touch %s/ran\r\n' "$work" >"$work/touch.wdx"
active() { awk -F'~' -v n="$1" 'NR == n { print $13 + 0 }' "$work/Scripts.dat"; }
# Runs wendrel with the arguments given (a start of the window, which never
# ends by itself, fails); its status goes to $rc, stderr to err.
cli() {
    rc=0
    timeout 20 "$w" "$@" >"$work/cli.out" 2>"$work/err" || rc=$?
}

# --- None running ---------------------------------------------------------------
cli --list
[ "$rc" = 0 ] || fail "--list with none running: status $rc: $(cat "$work/err")"
grep -q '^2  Café Über  *Other  *No ' "$work/cli.out" || fail "--list from the file: $(cat "$work/cli.out")"
cli --disable 1
[ "$(active 1)" = 0 ] || fail "--disable 1 with none running (status $rc) left Active at $(active 1)"
cli --run 1
[ "$rc" = 3 ] || fail "--run with none running: status $rc"
grep -q 'not running' "$work/err" || fail "--run with none running says: $(cat "$work/err")"
echo "ok: with none running, --list reads the file, --disable changes it and --run says none runs"

# --- The running one --------------------------------------------------------------
start_wendrel
main_window "$wendrel" || fail "no main window"
cli --list
grep -q '^1  Backup home  *Hourly  *No ' "$work/cli.out" || fail "--list: $(cat "$work/cli.out")"
cli --run 'Café Über'
[ "$rc" = 0 ] || fail "--run of a name with a blank and accents: status $rc: $(cat "$work/err")"
wait_for "[ -e '$work/ran' ]" 50 || fail "--run did not run the task"
cli --enable 'BACKUP HOME'
[ "$(active 1)" = 1 ] || fail "--enable in capitals (status $rc) left Active at $(active 1)"
cli --disable 1
[ "$(active 1)" = 0 ] || fail "--disable 1 (status $rc) left Active at $(active 1)"
cli --run 'Nobody'
[ "$rc" = 1 ] || fail "--run of a name no task has: status $rc"
[ "$(wc -l <"$work/err")" = 1 ] || fail "--run of a name no task has says: $(cat "$work/err")"
echo "ok: --list, --run, --disable and --enable reach the running one; a wrong name is refused"

# --- D-Bus ---------------------------------------------------------------------------
bus=(gdbus call --session --dest io.github.wendrel.Wendrel --object-path /io/github/wendrel/Wendrel)
"${bus[@]}" --method io.github.wendrel.Wendrel.Enable 'Backup home' >/dev/null || fail "Enable over D-Bus failed"
[ "$(active 1)" = 1 ] || fail "Enable over D-Bus left Active at $(active 1)"
! "${bus[@]}" --method io.github.wendrel.Wendrel.Run 'Nobody' 2>"$work/err" >/dev/null ||
    fail "Run of a name no task has succeeded over D-Bus"
grep -q 'io.github.wendrel.Wendrel.Error.NoSuchTask' "$work/err" || fail "the D-Bus error: $(cat "$work/err")"
echo "ok: on the session bus, Enable acts and an unknown task is an error"
