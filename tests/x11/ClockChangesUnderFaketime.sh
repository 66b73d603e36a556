#!/usr/bin/env bash
# The real program under libfaketime, in Europe/Berlin, through the night the
# clocks go back (2026-10-25, 03:00 summer time becomes 02:00 winter time),
# then with its wall clock set back half an hour:
# - an Hourly task at :00 starts at 02:00 winter time, the second real hour
#   that shows 2:00;
# - a Daily 02:00 task does not start again in the repeated hour;
# - an Other task every 5 seconds goes on at its pace through both changes.
# Each task's script appends its name to a log.
set -euo pipefail
preload=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -1 || true)
[ -n "$preload" ] || { echo "skipped: libfaketime is not installed"; exit 0; }
[ -e /usr/share/zoneinfo/Europe/Berlin ] || { echo "skipped: no Europe/Berlin zone"; exit 0; }
source "$(dirname "$0")/lib.sh"
count() { grep -cx "$1" "$work/runs.log" 2>/dev/null || true; }

for t in hourly daily other; do printf "EXEC sh -c 'echo %s >>%s/runs.log'\r\n" "$t" "$work" >"$work/$t.wdx"; done
printf '%s\r\n' 'Hourly~~0~0~0~0~0~0~0~0~0~0~1~hourly.wdx' 'Daily~~1~0~0~2~0~0~0~0~0~0~1~daily.wdx' \
    'Other~~5~0~0~0~0~0~0~0~5~1~1~other.wdx' >"$work/Scripts.dat"

# The fake clock is the real one moved by an offset that the program reads
# from a file; monotonic and boot-time clocks stay real.
start=$(date -u -d '2026-10-25 00:59:42' +%s)   # 02:59:42 summer time
printf '%+d\n' $((start - $(date +%s))) >"$work/offset"
start_wendrel TZ=Europe/Berlin LD_PRELOAD="$preload" FAKETIME_TIMESTAMP_FILE="$work/offset" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    FAKETIME_CACHE_DURATION=1
offset_now() { echo $(( $(cat "$work/offset") )); }

# Past 01:00:10 UTC, that is 02:00:10 winter time.
until [ $(( $(date +%s) + $(offset_now) )) -ge $((start + 28)) ]; do sleep 0.5; done
sleep 1
[ "$(count hourly)" = 1 ] || fail "the hourly task ran $(count hourly) times at 2:00 winter time, not once"
[ "$(count daily)" = 0 ] || fail "the daily 02:00 task ran again in the repeated hour"
others=$(count other)
[ "$others" -ge 4 ] && [ "$others" -le 7 ] || fail "the 5-second task ran $others times in about 28 s"
echo "ok: the repeated hour starts the hourly task and not the daily one; the 5-second task kept its pace"

# Set the clock back half an hour (to 02:30 summer time): the 5-second task
# goes on, and nothing else is due.
printf '%+d\n' $(( $(offset_now) - 1800 )) >"$work/offset"
before=$(count other)
sleep 16
after=$(count other)
[ $((after - before)) -ge 2 ] || fail "the 5-second task ran $((after - before)) times in 16 s after the clock went back"
[ "$(count hourly)" = 1 ] && [ "$(count daily)" = 0 ] || fail "a fixed-time task ran after the clock went back"
echo "ok: after the clock went back half an hour the 5-second task ran $((after - before)) times in 16 s"
