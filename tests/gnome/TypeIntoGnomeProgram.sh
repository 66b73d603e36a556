#!/usr/bin/env bash
# In a GNOME Shell session with a German keyboard layout, a task types into the
# native Wayland program it started: characters of the Shift, AltGr and
# Shift+AltGr levels, and keys that swap places with the US layout, each
# arriving exactly, the first key included; then a thousand mixed characters
# in one line, all of them. A character the layout lacks is named in the run
# history. A user who stops the typing (the stop button of GNOME's
# screen-sharing indicator) ends that line, named in the history, and the
# next line types again.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

gsettings set org.gnome.desktop.input-sources sources "[('xkb', 'de')]"
gnome_extensions=("$(dirname "$0")/stop-typing@wendrel.test")
start_gnome

german='Grüße yz ÄÖÜ äöü ß §$&/={(}{)}? @€{{}[]{}}\|µ ¡£¿ΩÆ'
typed_german='Grüße yz ÄÖÜ äöü ß §$&/=()? @€{[]}\|µ ¡£¿ΩÆ'
mixed=$(printf "aZ9ä€Ö@ß.-_,;:#'!Qy<%.0s" $(seq 50))
run_task "EXEC $target $work/typed.txt" 'WAIT 3' "TYPE $german" "TYPE {ENTER}$mixed" 'TYPE жx' 'WAIT 3' \
    'TYPE {ENTER}{k 3000}' 'TYPE {ENTER}done'
wait_for 'grep -q kkkk "$work/typed.txt" 2>/dev/null' 600 || fail "the long line is not being typed"
gdbus call --session -d org.gnome.Shell -o /io/github/wendrel/StopTyping -m io.github.wendrel.StopTyping.StopAll |
    grep -q "(uint32 [1-9]" || fail "no typing session to stop"
wait_for 'grep -q "done$" "$work/typed.txt"' 100 || fail "the line after the stopped one was not typed"
typed=$(cat "$work/typed.txt")
first="$typed_german"$'\n'"${mixed}x"
[ "${typed:0:${#first}}" = "$first" ] || {
    diff <(printf '%s' "$first" | od -c) <(printf '%s' "${typed:0:${#first}}" | od -c) >&2; fail "the typed text differs"; }
echo "ok: the German layout's characters arrived exactly, the first key and a thousand mixed ones included"
grep -q "could not type: ж" "$work/Wendrel.log" || fail "the character the layout lacks is not named in the history"
echo "ok: the character the layout lacks is named in the history"
# Each later line's session brings a keyboard new to this keyboard-less seat
# (a user's seat has one of its own); a loaded test machine may cost it its
# first key.
[[ "${typed:${#first}}" =~ ^$'\n'?(k+)$'\n'?done$ ]] && [ ${#BASH_REMATCH[1]} -lt 3000 ] ||
    fail "the stopped line was typed on: $(tail -c 40 "$work/typed.txt")"
grep -q "could not type: kkk" "$work/Wendrel.log" || fail "the stopped line is not named in the history"
echo "ok: stopping the typing ended that line, named in the history, and the next line typed again"

# Wendrel, not installed, wrote its shell extension for the next login and
# enabled it.
uuid=${own_extension##*/}
cmp -s "$XDG_DATA_HOME/gnome-shell/extensions/$uuid/extension.js" "$own_extension/extension.js" || fail "the shell extension was not written"
gsettings get org.gnome.shell enabled-extensions | grep -q "'$uuid'" || fail "the shell extension was not enabled"
echo "ok: the shell extension is written and enabled for the next login"
