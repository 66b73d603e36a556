#!/usr/bin/env bash
# The installed program: `cmake --install` into a staging folder lays out the
# program, its desktop entry, metainfo, icons and help; the entry and the
# metainfo pass their validators, and the Debian package that cpack makes
# passes lintian (each skipped where its tool is not installed); and
# the installed program keeps each user's files in the per-user data folder,
# created 0700, never beside itself. Runs offscreen: no display is needed.
set -euo pipefail
export QT_QPA_PLATFORM=offscreen
source "$(dirname "$0")/../common.sh"

stage="$work/stage"
app=io.github.wendrel.Wendrel
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
for f in bin/wendrel share/man/man1/wendrel.1.gz "share/applications/$app.desktop" "share/metainfo/$app.metainfo.xml" \
         share/doc/wendrel/wendrel-help.html share/doc/wendrel/copyright \
         share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128}/apps/"$app.png"; do
    [ -f "$stage/usr/$f" ] || fail "$f is not installed"
done
echo "ok: program, man page, entry, metainfo, icons, help and copyright installed"

# validate TOOL ARGUMENT... FILE: the tool, where installed, accepts FILE.
validate() { ! command -v "$1" >/dev/null || "$@" >"$work/validate.log" 2>&1 || fail "$1 rejects ${*: -1}"; }
validate desktop-file-validate "$stage/usr/share/applications/$app.desktop"
validate appstreamcli validate --no-net "$stage/usr/share/metainfo/$app.metainfo.xml"
# The Debian package that cpack makes of that layout: no error, no warning.
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || fail "cpack made no package"
validate lintian --fail-on error,warning "$work"/wendrel_*.deb
echo "ok: the entry, the metainfo and the package pass their validators"

# Starts the installed program for a fresh user with these extra variables,
# waits until it has made its options file in the folder and, when $until is
# set, for a line matching it in its run history; then ends it. (A signal
# that comes while it starts is kept until it can leave the proper way.)
run_installed() {
    local data=$1
    exe=$stage/usr/bin/wendrel start_wendrel -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$work/home" "${@:2}"
    settled() {
        kill -0 "$wendrel" 2>/dev/null || fail "the installed program ended"
        [ -e "$data/Scripts.ini" ] && { [ -z "${until:-}" ] || grep -q "$until" "$data/Wendrel.log" 2>/dev/null; }
    }
    wait_for settled 100 || fail "the installed program did not settle in $data"
    stop "$wendrel" "folder $data"
    [ "$(stat -c %a "$data")" = 700 ] || fail "$data is not private"
}

mkdir -p "$work/home"
run_installed "$work/home/.local/share/wendrel"
[ "$(ls "$stage/usr/bin")" = wendrel ] || fail "files were written beside the installed program"
echo "ok: the installed program keeps its files in ~/.local/share/wendrel"

# A folder that already holds a task due at every tick: its runs, with the
# started program's pid, are recorded in the folder's run history.
data="$work/xdg/wendrel"
mkdir -p -m 700 "$work/xdg" "$data"
printf 'Tick~~5~0~0~0~0~0~0~0~0~1~1~t.wdx\r\n' >"$data/Scripts.dat"
printf 'EXEC /bin/true\r\n' >"$data/t.wdx"
until='program started: /bin/true (pid [1-9]' run_installed "$data" XDG_DATA_HOME="$work/xdg"
echo "ok: XDG_DATA_HOME is honoured, and the runs are recorded there"
