#!/usr/bin/env bash
# The real program runs a task whose script starts a program and types into
# it: plain and shifted characters, named keys with repeat counts, literal
# special characters, a character no key of the layout produces, and Ctrl+Q.
# The program records exactly what arrived. Then RUN ...,1 waits until the
# started program's window is gone before the script goes on.
# Uses a display of its own, with openbox as the window manager.
set -euo pipefail
build="${1:?build folder}"
tools="xdotool xwininfo"
source "$(dirname "$0")/lib.sh"

# An Other task every 5 minutes that has never run: due on the first tick.
printf 'Typing~~5~0~0~0~0~0~0~0~5~0~1~type.wdx\r\n' >"$work/Scripts.dat"
printf ' 0 \r\n 0 \r\n' >"$work/Scripts.ini"
# Windows-1252 with CR LF: \351 is e acute, \200 the euro sign.
printf '%s\r\n' \
    "EXEC $target $work/typed.txt" \
    'WAIT 3' \
    'TYPE Hello +world 42 !@#$&*_:"<>?|{ENTER}next~line{TAB}tab Typx{BS}o{LEFT 2}-' \
    $'TYPE {END} {+}{%}{~}{(}{)}{{}{}} +(ab)c x{BS 3}\351\200' \
    'TYPE ^q' \
    "RUN $target $work/waited.txt,1" \
    "EXEC touch $work/after-run" >"$work/type.wdx"

start_wendrel

wait_for '[ -e "$work/waited.txt" ]' 300 || fail "the script did not reach its RUN line"
# The keys were sent without waiting for the program to read them; on a busy
# machine it may still be at it.
expected=$'Hello World 42 !@#$&*_:"<>?|\nnext\nline\ttab Ty-po +%~(){} ABé€'
typed_in_full() {
    actual=$(cat "$work/typed.txt"; echo .)
    actual=${actual%.}
    [ "$actual" = "$expected" ]
}
if ! wait_for typed_in_full 150; then
    diff <(printf '%s' "$expected" | od -c) <(printf '%s' "$actual" | od -c) >&2 || true
    fail "the typed text differs"
fi
echo "ok: every keystroke of the TYPE lines arrived, and Ctrl+Q ended the program"

# The window of the RUN line's program (the first one may not have closed yet).
run_window() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/exe" 2>/dev/null)" = "$target" ] && grep -q waited.txt "$p/cmdline" 2>/dev/null &&
            w=$(xdotool search --all --onlyvisible --pid "${p#/proc/}" --name "^Wendrel typing target$" 2>/dev/null |
                head -1) && [ -n "$w" ] && return 0
    done
    return 1
}
wait_for run_window 100 || fail "the program of the RUN line shows no window"
sleep 2.5   # two of the wait's once-a-second looks at the window
[ ! -e "$work/after-run" ] || fail "the script went on while the RUN program's window was open"
# A minimized window still counts: the wait brings it back, perhaps at once,
# so its being away is not looked for.
map_state() { xwininfo -id "$w" | sed -n 's/.*Map State: //p'; }
xdotool windowminimize "$w"
sleep 2.5
[ ! -e "$work/after-run" ] || fail "the script went on when the RUN program's window was minimized"
wait_for '[ "$(map_state)" = IsViewable ]' 30 || fail "the wait did not bring the minimized window back"
xdotool windowactivate --sync "$w" key --clearmodifiers ctrl+q
wait_for '[ -e "$work/after-run" ]' 50 || fail "the script did not go on after the RUN program ended"
[ ! -s "$work/waited.txt" ] || fail "keys reached the RUN program: $(cat "$work/waited.txt")"
echo "ok: RUN ...,1 waits until the program's window is gone"
