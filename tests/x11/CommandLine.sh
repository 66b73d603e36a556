#!/usr/bin/env bash
# The program steered from a terminal and over D-Bus:
# - with none running, --disable changes the task list's file and --run
#   ends with status 3;
# - the running one answers --list, runs a task named with a blank and
#   accented letters, and saves --enable (by name in another case) at once;
#   a name no task has ends with status 1;
# - on a session bus of the test's own, Disable does the same, and a name no
#   task has is a D-Bus error.
set -euo pipefail
tools="xdotool gdbus" own_bus=1
source "$(dirname "$0")/lib.sh"

# An Hourly task half an hour away, and an inactive one whose script leaves a
# file behind; the second name as the task list holds it, in Windows-1252.
printf 'Backup home~~0~0~0~0~0~0~0~%d~0~0~1~idle.wdx\r\nCaf\xe9 \xdcber~~5~0~0~0~0~0~0~0~60~0~0~touch.wdx\r\n' \
    $((($(date +%-M) + 30) % 60)) >"$work/Scripts.dat"
printf 'RUN touch %s/ran\r\n' "$work" >"$work/touch.wdx"
active() { awk -F'~' 'NR == 1 { print $13 + 0 }' "$work/Scripts.dat"; }
# Runs wendrel with the arguments after $1, which must end with status $1 (a
# start of the window, which never ends by itself, fails).
cli() {
    local rc=0
    timeout 20 "$work/wendrel" "${@:2}" >"$work/cli.log" 2>&1 || rc=$?
    [ "$rc" = "$1" ] || fail "wendrel ${*:2}: status $rc, not $1"
}

cli 0 --disable 1
[ "$(active)" = 0 ] || fail "--disable 1 with none running left Active at $(active)"
cli 3 --run 1
echo "ok: with none running, --disable changes the file and --run ends with status 3"

start_wendrel
main_window "$wendrel"
cli 0 --list
grep -q '^2  Café Über ' "$work/cli.log" || fail "the running one's --list"
cli 0 --run 'Café Über'
wait_for "[ -e '$work/ran' ]" 50 || fail "--run did not run the task"
cli 0 --enable 'BACKUP HOME'
[ "$(active)" = 1 ] || fail "--enable in capitals left Active at $(active)"
cli 1 --run 'Nobody'
echo "ok: --list, --run and --enable reach the running one; a wrong name is refused"

bus=(gdbus call --session --dest io.github.wendrel.Wendrel --object-path /io/github/wendrel/Wendrel)
"${bus[@]}" --method io.github.wendrel.Wendrel.Disable 'Backup home' >/dev/null || fail "Disable over D-Bus failed"
[ "$(active)" = 0 ] || fail "Disable over D-Bus left Active at $(active)"
{ "${bus[@]}" --method io.github.wendrel.Wendrel.Run 'Nobody' 2>&1 || true; } | grep -q 'Wendrel.Error.NoSuchTask' ||
    fail "Run of a name no task has is no NoSuchTask error over D-Bus"
echo "ok: on the session bus, Disable acts and an unknown task is an error"
