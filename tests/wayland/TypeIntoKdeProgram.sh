#!/usr/bin/env bash
# In a KDE Plasma session (a virtual KWin of its own, with a session bus), the
# program makes itself known to KWin through a desktop entry, brings the
# native program its task started forward after the user has moved the focus
# away, and types into it with the keyboard layout; a character the layout
# lacks is left out, and the user is told so. RUN ...,1 waits for the
# program's process. Keys never reach the scheduler's own window.
set -euo pipefail
tools="kwin_wayland dbus-send" package=kwin-wayland own_bus=1
source "$(dirname "$0")/../common.sh"

# A copy of KWin, without the file capability that a container may refuse to
# grant; KWin's own platform plugin wants the name kwin_wayland.
mkdir -p "$work/bin" "$work/home"
cp /usr/bin/kwin_wayland "$work/bin/kwin_wayland"
export HOME="$work/home" WAYLAND_DISPLAY=wendrel-kwin QT_QPA_PLATFORM=wayland XDG_CURRENT_DESKTOP=KDE
unset DISPLAY XDG_DATA_HOME SWAYSOCK
"$work/bin/kwin_wayland" --virtual --no-lockscreen --socket "$WAYLAND_DISPLAY" >"$work/kwin.log" 2>&1 &
wait_for '[ -S "$work/run/$WAYLAND_DISPLAY" ]' 200 || fail "KWin did not start"

# Windows-1252: \351 is e acute, which KWin's default layout lacks.
run_task "EXEC $target $work/typed.txt" 'WAIT 8' "${typing_keys[0]}" "${typing_keys[1]}"$'\351!' 'TYPE ^q' \
    "RUN $target $work/waited.txt,1" "EXEC touch $work/after-run" 'WAIT 2' 'TYPE {ENTER}' "EXEC touch $work/after-type"

# Runs a script in KWin; what it prints goes to KWin's log.
kwin_script() {
    printf '%s\n' "$1" >"$work/kwin-script.js"
    local id
    id=$(dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.loadScript \
        string:"$work/kwin-script.js" string:"test-$RANDOM" | awk '/int32/ {print $2}')
    dbus-send --session --print-reply --dest=org.kde.KWin "/$id" org.kde.kwin.Script.run >/dev/null
}
# The user moves the focus to the scheduler's own window before the keys go.
wait_for 'kwin_script "print(workspace.clientList().map(c => c.caption))"; grep -q "Wendrel typing target" "$work/kwin.log"' 50 ||
    fail "the typing target shows no window"
to_scheduler='for (const c of workspace.clientList()) if (c.caption.startsWith("Wendrel V")) workspace.activeClient = c;'
kwin_script "$to_scheduler print('focus on: ' + workspace.activeClient.caption);"
wait_for 'grep -q "focus on: Wendrel V" "$work/kwin.log"' 50 || fail "the focus did not move to the scheduler"

wait_for '[ -e "$work/waited.txt" ]' 400 || fail "the script did not reach its RUN line"
expect_typed "$typed_keys!" 150
grep -q "keyboard layout lacks" "$work/out.log" || fail "no notice of the character the layout lacks"
echo "ok: the program came forward, the keys of the layout arrived, and the user was told of the one left out"

sleep 2.5
[ ! -e "$work/after-run" ] || fail "the script went on while the RUN program ran"
kill "$(target_pid waited.txt)"
wait_for '[ -e "$work/after-run" ]' 50 || fail "the script did not go on after the RUN program ended"
echo "ok: RUN ...,1 waits for the program's process"

# Keys aimed at a program that has ended must not reach the scheduler's own
# window, active now ({ENTER} there would open a task in a window of its own).
kwin_script "$to_scheduler"
wait_for '[ -e "$work/after-type" ]' 50 || fail "the script did not reach its end"
sleep 0.5
kwin_script 'print("windows now: " + workspace.clientList().filter(c => c.normalWindow || c.dialog).length);'
wait_for 'grep -q "windows now: 1$" "$work/kwin.log"' 50 || fail "keys reached the scheduler's own window"
echo "ok: keys without a program to go to do not reach the scheduler's own window"
