#pragma once
// Local civil date-times with one-second resolution, and their conversion to a
// serial count of seconds so that differences are plain subtraction; and the
// clocks the core reads.
#include <cstdint>
#include <compare>
#include <string>

namespace wendrel {

// A default DateTime is the zero point of the date-time scale, 1899-12-30
// 00:00:00: an empty LastRun counts its elapsed time from there.
struct DateTime {
    int year = 1899;
    int month = 12; // 1..12
    int day = 30;   // 1..31
    int hour = 0;   // 0..23
    int minute = 0; // 0..59
    int second = 0; // 0..59

    // Days since 1970-01-01 of the civil date (proleptic Gregorian).
    std::int64_t dayNumber() const;
    // Seconds since 1970-01-01 00:00:00 of this civil time (no time zone applied).
    std::int64_t serialSeconds() const;
    // Whole minutes since 1970-01-01 00:00 (seconds dropped).
    std::int64_t serialMinute() const { return floorDiv(serialSeconds(), 60); }
    // 1 = Sunday ... 7 = Saturday.
    int weekday() const;

    static DateTime fromSerialSeconds(std::int64_t s);
    static std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
        std::int64_t q = a / b;
        return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
    }

    auto operator<=>(const DateTime&) const = default;
};

// The date-time as "yyyy-mm-dd hh:mm:ss", with between in place of the blank
// ('T' gives ISO 8601).
std::string dateTimeText(const DateTime& t, char between = ' ');

// One reading of the real-time clock: the real instant and the local civil
// time at that instant, taken together so that they always agree.
struct ClockReading {
    std::int64_t utc = 0;    // seconds since 1970-01-01 00:00:00 UTC
    DateTime local;          // civil time in the local zone
    std::int32_t offset = 0; // local minus UTC, in seconds
};

// The time sources the core reads: the wall clock (real time and local time,
// for the due rules and the status bar), a monotonic clock (for waits) and a
// boot-time clock (for intervals that must count time asleep).
class Clock {
public:
    virtual ~Clock() = default;
    // Local civil time now.
    virtual DateTime now() const = 0;
    // Seconds from an arbitrary fixed point; never goes backwards.
    virtual double monotonicSeconds() const = 0;
    // The real-time clock read once. By default the local time is taken to be
    // UTC (a clock without a zone).
    virtual ClockReading read() const {
        const DateTime t = now();
        return {t.serialSeconds(), t, 0};
    }
    // Seconds from an arbitrary fixed point on a clock that never goes back
    // and goes on counting while the machine is suspended.
    virtual double bootSeconds() const { return monotonicSeconds(); }
    // The local zone's offset from UTC, in seconds, at a real instant.
    virtual std::int32_t utcOffsetAt(std::int64_t utc) const {
        (void)utc;
        return 0;
    }
    // Picks up a change of the local time zone; the tick calls it once, so the
    // readings in between need not look at the zone's files.
    virtual void recheckZone() const {}
};

} // namespace wendrel
