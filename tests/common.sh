# Shared by the desktop test scripts, sourced by them: a work folder $work,
# and
#   pids+=(...)      processes to end at exit (and every program running
#                    from a copy in $work)
#   fail MESSAGE     ends the test, showing the program's output
#   wait_for CMD N   waits up to N tenths of a second until CMD succeeds
# When $WENDREL_OWN_DISPLAY names a file, the test's status is written there.
work=$(mktemp -d)
pids=()
cleanup() {
    local status=$?
    [ -n "${WENDREL_OWN_DISPLAY:-}" ] && echo "$status" >"$WENDREL_OWN_DISPLAY"
    # Programs started by Wendrel are known by their copies in this folder.
    for p in /proc/[0-9]*; do
        case "$(readlink "$p/exe" 2>/dev/null)" in "$work"/*) kill -9 "${p#/proc/}" 2>/dev/null ;; esac
    done
    for p in "${pids[@]}"; do
        kill -9 "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; cat "$work/out.log" >&2 2>/dev/null || true; exit 1; }
wait_for() {
    for _ in $(seq "$2"); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}
# expect_typed TEXT N: waits up to N tenths of a second until the typing
# target's record ($work/typed.txt) holds exactly TEXT; else shows both, byte
# by byte, and fails.
expect_typed() {
    local expected=$1 actual
    typed_in_full() {
        actual=$(cat "$work/typed.txt"; echo .)
        actual=${actual%.}
        [ "$actual" = "$expected" ]
    }
    if ! wait_for typed_in_full "$2"; then
        diff <(printf '%s' "$expected" | od -c) <(printf '%s' "$actual" | od -c) >&2 || true
        fail "the typed text differs"
    fi
}
