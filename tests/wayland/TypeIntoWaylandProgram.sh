#!/usr/bin/env bash
# In a Wayland session (a headless sway of its own, without Xwayland), the
# real program runs natively and its task types into a native program it
# started: capitals, digits, named keys, literal special characters and
# letters outside Latin-1, with the target's window focused by process id
# after the user has moved the focus away. The program records exactly what
# arrived, the first key included. Then RUN ...,1, through a launcher script
# whose child shows the window, brings that window forward while it waits and
# goes on once the window is gone. Keys never reach the scheduler's own window.
# A SIGTERM at the end leaves quietly.
set -euo pipefail
tools="sway swaymsg setpriv" package=sway
source "$(dirname "$0")/../common.sh"
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
    skip "Qt's Wayland platform is not installed (Debian package qt6-wayland)"
chmod 755 "$work"

# sway will not run as root; there it runs as nobody, and root reaches its
# sockets all the same.
mkdir -m 700 "$work/sway-run"
as_user=()
[ "$(id -u)" != 0 ] || { chown nobody "$work/sway-run"; as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups); }
printf 'xwayland disable\noutput HEADLESS-1 resolution 1280x1024\n' >"$work/sway.conf"
spawn env -u DISPLAY -u WAYLAND_DISPLAY -u SWAYSOCK HOME="$work" XDG_RUNTIME_DIR="$work/sway-run" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    "${as_user[@]}" sway -c "$work/sway.conf" >"$work/sway.log" 2>&1
wait_for 'ls "$work"/sway-run/sway-ipc.*.sock "$work"/sway-run/wayland-? >/dev/null 2>&1' 100 || fail "sway did not start"
export SWAYSOCK=$(ls "$work"/sway-run/sway-ipc.*.sock) WAYLAND_DISPLAY=$(ls "$work"/sway-run/wayland-? | head -1) \
    QT_QPA_PLATFORM=wayland
unset DISPLAY
shows() { swaymsg -t get_tree | grep -q '"app_id": "TypingTarget"'; }

# The launcher stays while its child runs; the window is the child's.
printf '"%s" "$1"\ntrue\n' "$target" >"$work/launch.sh"
# Windows-1252 with CR LF: e acute, euro, OE, s caron, Y diaeresis, sharp s.
run_task "EXEC $target $work/typed.txt" 'WAIT 6' "${typing_keys[0]}" "${typing_keys[1]}"$'\351\200\214\232\237\337' \
    'TYPE ^q' "RUN sh $work/launch.sh $work/waited.txt,1" "EXEC touch $work/after-run" 'TYPE {ENTER}' \
    "EXEC touch $work/after-type"

# The user moves the focus to the scheduler's own window before the keys go.
wait_for shows 300 || fail "the typing target shows no window"
swaymsg '[app_id="wendrel"] focus' >/dev/null || fail "the scheduler's window could not be focused"

wait_for '[ -e "$work/waited.txt" ]' 300 || fail "the script did not reach its RUN line"
expect_typed "$typed_keys"'é€ŒšŸß' 150
echo "ok: every keystroke of the TYPE lines arrived, the first one included, and Ctrl+Q ended the program"

wait_for shows 300 || fail "the RUN program shows no window"
swaymsg '[app_id="wendrel"] focus' >/dev/null
wait_for 'swaymsg "[app_id=TypingTarget con_id=__focused__] nop" >/dev/null 2>&1' 30 || fail "the wait did not bring the window of the launcher's child forward"
sleep 1.5
[ ! -e "$work/after-run" ] || fail "the script went on while the RUN program's window was open"
swaymsg '[app_id="TypingTarget"] kill' >/dev/null
wait_for '[ -e "$work/after-run" ]' 50 || fail "the script did not go on after the RUN program ended"
echo "ok: RUN ...,1 brings the window of the launcher's child forward and waits until it is gone"

# With the RUN program gone, sway focuses the scheduler's window; keys aimed
# at a program that has ended must not reach it ({ENTER} would open a task).
wait_for '[ -e "$work/after-type" ]' 50 || fail "the script did not reach its end"
sleep 0.5
[ "$(swaymsg -t get_tree | grep -c '"app_id": "wendrel"')" = 1 ] || fail "keys reached the scheduler's own window"
echo "ok: keys without a program to go to do not reach the scheduler's own window"

# A SIGTERM while the compositor runs ends the program quietly, with success.
stop "$wendrel"
! grep "connection broke" "$work/out.log" || fail "SIGTERM was taken for a compositor that died"
echo "ok: SIGTERM ends the program quietly while the compositor runs"
