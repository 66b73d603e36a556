#!/usr/bin/env bash
# Nobody else can stop or steer the single instance. As root, with a
# throw-away second user and a portable copy in a folder everyone may read:
# - that user holding an flock on the folder does not keep it from starting;
# - with no runtime folder, that user listening first on every name a start
#   could use in the shared temporary folder hears nothing from it: it
#   starts its own instance;
# - a start that finds the lock held and gets no answer says so in a message
#   box.
set -euo pipefail
[ "$(id -u)" = 0 ] || { echo "skipped: acting as a second user needs root"; exit 0; }
python=/usr/bin/python3
tools="xdotool flock setpriv useradd userdel $python"
source "$(dirname "$0")/lib.sh"

other="wdg$$"
useradd -M -s /usr/sbin/nologin "$other"
at_exit='userdel "$other"'
as_other=(setpriv --reuid="$other" --regid="$other" --clear-groups -- env -C /)
# Holds an flock on $lock in a process of its own until the test ends,
# listening on the sockets $listen_at and writing to $TMPDIR/heard who asked
# there; the words given, if any, run it as another user.
holder='import fcntl, os, select, socket, sys
p = sys.argv[1]
fcntl.flock(os.open(p, os.O_RDONLY | (0 if os.path.isdir(p) else os.O_CREAT), 0o600), fcntl.LOCK_EX)
ears = [socket.socket(socket.AF_UNIX) for _ in sys.argv[3:]]
for s, path in zip(ears, sys.argv[3:]):
    s.bind(path); os.chmod(path, 0o777); s.listen(8)
while True:
    for s in select.select(ears, [], [], 1000)[0]:
        open(sys.argv[2], "a").write("%s was asked\n" % s.accept()[0].getsockname())'
listen_at=()
hold() {
    spawn "$@" "$python" -c "$holder" "$lock" "$TMPDIR/heard" "${listen_at[@]}"
    wait_for "! flock -n '$lock' true" 50 || fail "$lock was not locked"
}

chmod 755 "$work"
mkdir -m 755 "$work/home"
mkdir -m 1777 "$work/tmp"
printf 'Poll~~5~0~0~0~0~0~0~0~5~0~1~poll.wdx\r\n' >"$work/Scripts.dat"
# What names the folder in every lock and socket name it may have.
id=$(printf '%x-%x' $(stat -c '%d %i' "$work"))
export HOME=$work/home TMPDIR=$work/tmp
unset XDG_CACHE_HOME

# --- Another user's lock on the folder -----------------------------------------
lock=$work hold "${as_other[@]}"
start_wendrel
main_window "$wendrel" "while another user locks the folder"
echo "ok: another user's flock on the folder does not keep Wendrel from starting"
stop "$wendrel"

# --- Another user listening first, no runtime folder ---------------------------
# With the folder still locked by that user, on the name beside everyone's
# files that once served, and on the same names in a folder that user made
# where a start would make its own; that user holds the lock found there too.
"${as_other[@]}" mkdir -m 777 "$TMPDIR/wendrel-0"
listen_at=("$TMPDIR/wendrel-0-$id.socket" "$TMPDIR/wendrel-0/wendrel-$id.socket")
lock=$TMPDIR/wendrel-0/wendrel-$id.lock hold "${as_other[@]}"
wait_for "[ -S '${listen_at[0]}' ] && [ -S '${listen_at[1]}' ]" 50 || fail "the other user does not listen"
start_wendrel -u XDG_RUNTIME_DIR
main_window "$wendrel" "while another user listens in /tmp"
[ ! -s "$TMPDIR/heard" ] || fail "the other user's socket was asked: $(cat "$TMPDIR/heard")"
echo "ok: with no runtime folder, another user listening on the names in /tmp hears nothing"
stop "$wendrel"

# --- A lock held by a process that does not answer -----------------------------
listen_at=()
lock=$XDG_RUNTIME_DIR/wendrel-$id.lock hold
holder_pid=$!
start_wendrel
wait_for "xdotool search --onlyvisible --pid $wendrel --name '^Wendrel 1.00$' >/dev/null 2>&1" 200 ||
    fail "no message box when the lock's holder does not answer"
grep -q "process $holder_pid" "$work/out.log" || fail "the message does not name the lock's holder $holder_pid"
echo "ok: a start that gets no answer says so in a message box naming the lock's holder"
