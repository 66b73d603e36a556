# Shared set-up of the desktop tests, sourced by them. Needs $build (the build
# folder) and the names of the tools the test uses in $tools. Gives the test a
# display of its own with openbox as the window manager, a work folder $work
# with copies of Wendrel and the typing target, and:
#   pids+=(...)      processes to end at exit
#   fail MESSAGE     ends the test, showing the program's output
#   wait_for CMD N   waits up to N tenths of a second until CMD succeeds
#   start_wendrel    starts the copy in $work; its pid goes to $wendrel
for tool in xvfb-run openbox xprop $tools; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 0; }
done
if [ -z "${WENDREL_OWN_DISPLAY:-}" ]; then
    # The test's own status, not xvfb-run's, which fails when a test has ended
    # the X server on purpose.
    WENDREL_OWN_DISPLAY=$(mktemp)
    export WENDREL_OWN_DISPLAY
    xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@" || true
    status=$(cat "$WENDREL_OWN_DISPLAY")
    rm -f "$WENDREL_OWN_DISPLAY"
    exit "${status:-1}"
fi
unset QT_QPA_PLATFORM
work=$(mktemp -d)
pids=()
cleanup() {
    echo $? >"$WENDREL_OWN_DISPLAY"
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

openbox >/dev/null 2>&1 &
pids+=($!)
wait_for 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' 100
cp "$build/Wendrel" "$build/TypingTarget" "$work/"
target=$work/TypingTarget

start_wendrel() {
    "$work/Wendrel" >"$work/out.log" 2>&1 &
    wendrel=$!
    pids+=("$wendrel")
}
