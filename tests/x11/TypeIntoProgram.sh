#!/usr/bin/env bash
# The real program runs a task whose script starts a program and types into
# it: plain and shifted characters, named keys with repeat counts, literal
# special characters, characters no key of the layout produces (from
# Windows-1252 and UTF-8 lines), and Ctrl+Q.
# The program records exactly what arrived.
# Uses a display of its own, with openbox as the window manager.
set -euo pipefail
build="${1:?build folder}"
tools=""
source "$(dirname "$0")/lib.sh"

# An Other task every 5 minutes that has never run: due on the first tick.
printf 'Typing~~5~0~0~0~0~0~0~0~5~0~1~type.wdx\r\n' >"$work/Scripts.dat"
printf ' 0 \r\n 0 \r\n' >"$work/Scripts.ini"
# CR LF lines, each read in its own encoding: the second TYPE line is
# Windows-1252 (\351 is e acute, \200 the euro sign), the third UTF-8.
printf '%s\r\n' \
    "EXEC $target $work/typed.txt" \
    'WAIT 3' \
    'TYPE Hello +world 42 !@#$&*_:"<>?|{ENTER}next~line{TAB}tab Typx{BS}o{LEFT 2}-' \
    $'TYPE {END} {+}{%}{~}{(}{)}{{}{}} +(ab)c x{BS 3}\351\200' \
    $'TYPE  caf\303\251' \
    'TYPE ^q' >"$work/type.wdx"

start_wendrel

# The keys were sent without waiting for the program to read them; on a busy
# machine it may still be at it.
expect_typed $'Hello World 42 !@#$&*_:"<>?|\nnext\nline\ttab Ty-po +%~(){} ABé€ café' 400
echo "ok: every keystroke of the TYPE lines arrived, and Ctrl+Q ended the program"
