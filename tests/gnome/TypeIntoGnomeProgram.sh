#!/usr/bin/env bash
# In a GNOME Shell session with a German keyboard layout, a task types into the
# native Wayland program it started: characters of the Shift, AltGr and
# Shift+AltGr levels, and keys that swap places with the US layout, each
# arriving exactly, the first key included; then a thousand mixed characters
# in one line, all of them. A character the layout lacks is named in the run
# history.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

gsettings set org.gnome.desktop.input-sources sources "[('xkb', 'de')]"
start_gnome

german='Grüße yz ÄÖÜ äöü ß §$&/={(}{)}? @€{{}[]{}}\|µ ¡£¿ΩÆ'
typed_german='Grüße yz ÄÖÜ äöü ß §$&/=()? @€{[]}\|µ ¡£¿ΩÆ'
mixed=''
for _ in $(seq 50); do mixed+="aZ9ä€Ö@ß.-_,;:#'!Qy<"; done
run_task "EXEC $target $work/typed.txt" 'WAIT 3' "TYPE $german" "TYPE {ENTER}$mixed" 'TYPE жx'
wait_for '[ -e "$work/typed.txt" ]' 100 || fail "the typing target did not start"
expect_typed "$typed_german"$'\n'"${mixed}x" 300
echo "ok: the German layout's characters arrived exactly, the first key and a thousand mixed ones included"
wait_for 'grep -q "could not type: ж" "$work/Wendrel.log" 2>/dev/null' 50 ||
    fail "the character the layout lacks is not named in the history"
echo "ok: the character the layout lacks is named in the history"

# Wendrel, not installed, wrote its shell extension for the next login and
# enabled it.
cmp -s "$XDG_DATA_HOME/gnome-shell/extensions/$gnome_uuid/extension.js" \
    "$gnome_extension_dir/$gnome_uuid/extension.js" || fail "the shell extension was not written"
gsettings get org.gnome.shell enabled-extensions | grep -q "'$gnome_uuid'" || fail "the shell extension was not enabled"
echo "ok: the shell extension is written and enabled for the next login"
