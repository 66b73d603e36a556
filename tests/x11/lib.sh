# Shared set-up of the desktop tests, sourced by them with their arguments.
# Gives the test a display of its own with openbox as the window manager,
# what tests/common.sh gives, and:
#   main_window PID  waits until the splash of PID has closed and the window
#                    manager has its main window; the id goes to $window
#   wm_state         that window's state for the window manager
command -v xvfb-run >/dev/null || { echo "skipped: xvfb-run is not installed"; exit 0; }
if [ -z "${WENDREL_OWN_DISPLAY:-}" ]; then
    # The test's own status (xvfb-run fails when a test has ended the X server
    # on purpose), or xvfb-run's when the test ended before it could say.
    WENDREL_OWN_DISPLAY=$(mktemp)
    export WENDREL_OWN_DISPLAY
    xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@" && rc=0 || rc=$?
    status=$(cat "$WENDREL_OWN_DISPLAY") && rm -f "$WENDREL_OWN_DISPLAY"
    exit "${status:-$rc}"
fi
unset QT_QPA_PLATFORM
tools+=" openbox xprop"
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

spawn openbox >"$work/openbox.log" 2>&1
wait_for 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' 300 || fail "openbox did not start on $DISPLAY"

wm_state() { xprop -id "$window" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }
# A window of the splash's caption (the bare name) may come and go before.
main_window_shown() {
    ! xdotool search --all --onlyvisible --pid "$1" --name '^Wendrel$' >/dev/null 2>&1 &&
        window=$(xdotool search --all --pid "$1" --name '^Wendrel V' 2>/dev/null | head -1) &&
        [ -n "$window" ] && [ -n "$(wm_state)" ]
}
main_window() { wait_for "main_window_shown $1" 150 || fail "no main window${2:+ $2}"; }
