# Shared by the GNOME test scripts, sourced by them with their arguments (the
# build folder first). It runs the test in a headless GNOME Shell of its own
# (Wayland only, one 1280x800 virtual monitor) on a private session bus, with private HOME and
# XDG folders set before that bus starts (dconf and the shell keep their
# settings there), and a second private bus standing in for the system bus.
# The test exits 77 (a skip) when GNOME Shell is missing or does not start.
# $tools names what else the test needs.
#   own_extension       the folder of Wendrel's own shell extension
#   gnome_extensions    the folders of shell extensions (named by their uuids)
#                       to install and enable at the shell's start (set before
#                       start_gnome)
#   start_gnome         starts the shell and leaves its start-up overview, so
#                       that new windows get the focus; exports WAYLAND_DISPLAY
#                       and the session variables for the programs after it
#   shell_property Get|Set org.gnome.Shell PROP [VALUE]  a property of the shell,
#                       as gdbus prints it
# and everything of tests/common.sh.
skip_status=77
if [ -z "${WENDREL_GNOME_DIR:-}" ]; then
    command -v dbus-run-session >/dev/null || { echo "skipped: dbus-run-session is not installed"; exit $skip_status; }
    g=$(mktemp -d)
    mkdir -p "$g"/{home,config,data,cache,state} && mkdir -m 700 "$g/run"
    export WENDREL_GNOME_DIR=$g HOME=$g/home XDG_CONFIG_HOME=$g/config XDG_DATA_HOME=$g/data XDG_CACHE_HOME=$g/cache \
        XDG_STATE_HOME=$g/state XDG_RUNTIME_DIR=$g/run
    unset DISPLAY WAYLAND_DISPLAY SWAYSOCK DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS
    # What the bus's services say goes to a log; the test's own errors come
    # back on fd 3.
    status=0
    dbus-run-session -- bash "$0" "$@" 3>&2 2>"$WENDREL_GNOME_DIR/bus.log" || status=$?
    rm -rf "$WENDREL_GNOME_DIR"
    exit $status
fi
exec 2>&3 3>&-
tools+=" gnome-shell dbus-daemon gdbus gsettings" package=gnome-shell
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
export XDG_RUNTIME_DIR=$WENDREL_GNOME_DIR/run
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
    skip "Qt's Wayland platform is not installed (Debian package qt6-wayland)"

gnome_extensions=()
own_extension="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/resources/gnome-shell/wendrel-windows@wendrel.github.io"
shell_property() { gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell -m org.freedesktop.DBus.Properties."$@"; }
start_gnome() {
    local dir list=""
    for dir in "${gnome_extensions[@]}"; do
        mkdir -p "$XDG_DATA_HOME/gnome-shell/extensions" && cp -r "$dir" "$XDG_DATA_HOME/gnome-shell/extensions/"
        list+="${list:+, }'${dir##*/}'"
    done
    [ -z "$list" ] || gsettings set org.gnome.shell enabled-extensions "[$list]"
    # The shell asks logind (on the system bus) about seats and sessions; a bus
    # where nobody answers is enough.
    spawn dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/system_bus" >/dev/null 2>&1
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/system_bus"
    spawn gnome-shell --headless --wayland --no-x11 --virtual-monitor 1280x800 --wayland-display wendrel-gnome \
        >"$work/shell.log" 2>&1
    # The shell shows its overview once it has started; leaving it is what
    # the user's Escape does.
    wait_for 'shell_property Get org.gnome.Shell OverviewActive 2>/dev/null | grep -q true' 300 ||
        { tail -20 "$work/shell.log"; skip "GNOME Shell did not start"; }
    shell_property Set org.gnome.Shell OverviewActive '<false>' >/dev/null
    wait_for 'shell_property Get org.gnome.Shell OverviewActive | grep -q false' 50 || fail "the shell's overview did not close"
    export WAYLAND_DISPLAY=wendrel-gnome QT_QPA_PLATFORM=wayland XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland \
        XDG_SESSION_DESKTOP=gnome
}
