# Shared set-up of the desktop tests, sourced by them. Needs $build (the build
# folder) and the names of the tools the test uses in $tools. Gives the test a
# display of its own with openbox as the window manager, copies of Wendrel and
# the typing target in $work, what tests/common.sh gives, and:
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
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

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
