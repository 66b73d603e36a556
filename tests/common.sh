# Shared by the desktop test scripts, sourced by them with their arguments:
# $build, the build folder (the first argument), a work folder $work holding
# copies of Wendrel and of the typing target ($target), a private runtime
# folder $XDG_RUNTIME_DIR (its lock and socket, apart from other starts), and
#   $tools              (set before) tools the test needs: it is skipped
#                       without them, naming Debian package $package if set
#   $own_bus            (set before) the test runs on a session bus of its own
#   spawn CMD...        runs CMD in the background until the test ends (as
#                       every program running from a copy in $work); its pid
#                       is in $!
#   at_exit             (set after) a command run at exit, after those ends
#   skip MESSAGE        ends the test as skipped (status $skip_status, or 0)
#   fail MESSAGE        ends the test, showing the ends of its logs
#   stop PID [WHAT]     ends PID with SIGTERM, which must leave with status 0
#   wait_for CMD N      waits up to N tenths of a second until CMD succeeds
#   start_wendrel [ARG...] starts $exe (by default the copy in $work) in the
#                       environment that env's ARGs make; its pid goes to
#                       $wendrel, its output to out.log
#   run_task LINE...    starts it with one task, due at the first tick, whose
#                       script (CR LF lines) is these lines
#   target_pid FILE     the pid of the typing target that records into FILE
#   expect_typed TEXT N waits until the typing target's record is TEXT
#   typing_keys, typed_keys: TYPE lines that every typing test sends, and the
#                       text they give
#   expect_typing_held_while_locked D  on the session bus, a stand-in screen
#                       saver org.D.ScreenSaver is locked: a task's TYPE line
#                       sends nothing (the history says it is held) until it
#                       is unlocked, and then arrives in full
# When $WENDREL_OWN_DISPLAY names a file, the test's status is written there.
build="${1:?build folder}"
skip() { echo "skipped: $*"; exit "${skip_status:-0}"; }
for tool in ${tools:-} ${own_bus:+dbus-run-session}; do
    command -v "$tool" >/dev/null || skip "$tool is not installed${package:+ (Debian package $package)}"
done
[ -z "${own_bus:-}" ] || [ -n "${WENDREL_OWN_BUS:-}" ] || WENDREL_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"

work=$(mktemp -d)
pids=() at_exit=
cleanup() {
    local status=$? p
    set +e; trap - ERR
    [ -n "${WENDREL_OWN_DISPLAY:-}" ] && echo "$status" >"$WENDREL_OWN_DISPLAY"
    # Programs started by Wendrel are known by their copies in this folder.
    for p in /proc/[0-9]*; do [[ "$(readlink "$p/exe")" != "$work"/* ]] || kill -9 "${p#/proc/}"; done 2>/dev/null
    for p in "${pids[@]}"; do kill -9 "$p" && wait "$p"; done 2>/dev/null
    eval "$at_exit"
    rm -rf "$work"
}
trap cleanup EXIT
# A step that fails outside any check ends the test (set -e) and says which.
trap 'err=$?; echo "FAIL: ${0##*/} line $LINENO: $BASH_COMMAND (status $err)" >&2' ERR
spawn() { "$@" & pids+=($!); }
fail() { echo "FAIL: $*" >&2; tail -n 30 "$work"/*.log >&2 2>/dev/null || true; exit 1; }
stop() { kill -TERM "$1" && wait "$1" || fail "exit status $? after SIGTERM${2:+ ($2)}"; }
wait_for() { for _ in $(seq "$2"); do eval "$1" && return 0; sleep 0.1; done; return 1; }

mkdir -m 700 "$work/run" && export XDG_RUNTIME_DIR="$work/run"
cp "$build/wendrel" "$build/TypingTarget" "$work/"
target=$work/TypingTarget
start_wendrel() {
    spawn env "$@" "${exe:-$work/wendrel}" >"$work/out.log" 2>&1
    wendrel=$!
}
# An Other task every 5 minutes that has never run.
run_task() {
    printf 'Task~~5~0~0~0~0~0~0~0~5~0~1~task.wdx\r\n' >"$work/Scripts.dat"
    printf '%s\r\n' "$@" >"$work/task.wdx"
    start_wendrel
}
target_pid() { pgrep -f "^$target .*$1" | head -1; }

# Plain and shifted characters, named keys with repeat counts, and literal
# special characters; each test adds characters no key of its layout gives.
typing_keys=('TYPE Hello +world 42 !@#$&*_:"<>?|{ENTER}next~line{TAB}tab Typx{BS}o{LEFT 2}-'
             'TYPE {END} {+}{%}{~}{(}{)}{{}{}} +(ab)c x{BS 3}')
typed_keys=$'Hello World 42 !@#$&*_:"<>?|\nnext\nline\ttab Ty-po +%~(){} AB'
# On a mismatch both texts are shown byte by byte.
expect_typed() {
    local expected="$1."
    wait_for '[ "$(cat "$work/typed.txt" 2>/dev/null; echo .)" = "$expected" ]' "$2" && return
    diff <(printf '%s' "${expected%.}" | od -c) <(od -c "$work/typed.txt") >&2 || true
    fail "the typed text differs"
}
expect_typing_held_while_locked() {
    spawn "$build/FakeScreenSaver" "$1"
    saver=(dbus-send --session --print-reply --dest="org.$1.ScreenSaver" "/org/$1/ScreenSaver" "org.$1.ScreenSaver.SetActive")
    wait_for '"${saver[@]}" boolean:true >/dev/null 2>&1' 100 || fail "the screen saver did not come up locked"
    run_task "EXEC $target $work/typed.txt" 'WAIT 2' 'TYPE held{ENTER}back' 'TYPE ^q'
    wait_for 'grep -q "typing held: the screen is locked" "$work/Wendrel.log" 2>/dev/null' 150 ||
        fail "the run history does not tell of the held typing"
    "${saver[@]}" boolean:false >/dev/null
    expect_typed $'held\nback' 150
    echo "ok: a TYPE line is held while the screen is locked, and arrives in full once it is unlocked"
}
