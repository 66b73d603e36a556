#include "platform/SystemClock.h"

#include <ctime>

namespace wendrel {

namespace {
double secondsOf(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

ClockReading convert(std::int64_t utc) {
    const time_t t = static_cast<time_t>(utc);
    tm parts{};
    ClockReading r;
    r.utc = utc;
    if (!localtime_r(&t, &parts)) {
        r.local = DateTime::fromSerialSeconds(utc);
        return r;
    }
    r.local = DateTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
                       // A leap second shows as :59 again rather than :60.
                       parts.tm_sec > 59 ? 59 : parts.tm_sec};
    r.offset = static_cast<std::int32_t>(parts.tm_gmtoff);
    return r;
}
} // namespace

SystemClock::SystemClock() { recheckZone(); }

double SystemClock::monotonicSeconds() const { return secondsOf(CLOCK_MONOTONIC); }

double SystemClock::bootSeconds() const { return secondsOf(CLOCK_BOOTTIME); }

ClockReading SystemClock::read() const {
    // The real-time read is a cheap vDSO call; the conversion runs at most
    // once per second of the clock (and once after each zone check).
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const std::int64_t utc = ts.tv_sec;
    if (!haveCached_ || cached_.utc != utc) {
        cached_ = convert(utc);
        haveCached_ = true;
    }
    return cached_;
}

std::int32_t SystemClock::utcOffsetAt(std::int64_t utc) const { return convert(utc).offset; }

void SystemClock::recheckZone() const {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    if (ts.tv_sec == zoneCheckedAt_) return;
    zoneCheckedAt_ = ts.tv_sec;
    // localtime_r does not look at the zone setting again once it has been
    // read; tzset does, and re-reads the zone file only when it changed.
    tzset();
    haveCached_ = false;
}

} // namespace wendrel
