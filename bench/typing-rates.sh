#!/usr/bin/env bash
# Characters per second and the first key's delay of gui_typing_rate on X11
# (Xvfb with openbox), a headless sway and a headless GNOME Shell, one after
# the other in one run.
#   bench/typing-rates.sh <build folder> [x11|sway|gnome]
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
case "${2:-all}" in
all)
    for desktop in x11 sway gnome; do bash "$0" "$build" "$desktop" || echo "$desktop: failed"; done
    ;;
x11)
    WAYLAND_DISPLAY= XDG_SESSION_TYPE=x11 xvfb-run -a -s "-screen 0 1280x1024x24" \
        bash -c 'openbox >/dev/null 2>&1 & sleep 1; "$1/gui_typing_rate" "$1/TypingTarget" X11' _ "$build"
    ;;
sway)
    dir=$(mktemp -d) && chmod 755 "$dir" && mkdir -m 700 "$dir/sway" "$dir/run"
    trap 'kill "$sway" 2>/dev/null; rm -rf "$dir"' EXIT
    as_user=()
    if [ "$(id -u)" = 0 ]; then
        chown nobody "$dir/sway"
        as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
    fi
    printf 'xwayland disable\noutput HEADLESS-1 resolution 1280x1024\n' >"$dir/sway.conf"
    env -u DISPLAY -u WAYLAND_DISPLAY HOME="$dir" XDG_RUNTIME_DIR="$dir/sway" WLR_BACKENDS=headless \
        WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${as_user[@]}" sway -c "$dir/sway.conf" >/dev/null 2>&1 &
    sway=$!
    for _ in $(seq 100); do ls "$dir"/sway/wayland-? >/dev/null 2>&1 && break; sleep 0.1; done
    env -u DISPLAY SWAYSOCK="$(ls "$dir"/sway/sway-ipc.*.sock)" WAYLAND_DISPLAY="$(ls "$dir"/sway/wayland-? | head -1)" \
        XDG_RUNTIME_DIR="$dir/run" QT_QPA_PLATFORM=wayland "$build/gui_typing_rate" "$build/TypingTarget" sway
    ;;
gnome)
    source "$here/../tests/gnome/lib.sh"
    start_gnome
    "$build/gui_typing_rate" "$build/TypingTarget" GNOME
    ;;
esac
