#pragma once
// Local civil date-times with one-second resolution, and their conversion to a
// serial count of seconds so that differences are plain subtraction.
#include <cstdint>
#include <compare>

namespace wendrel {

struct DateTime {
    int year = 1899;
    int month = 12;   // 1..12
    int day = 30;     // 1..31
    int hour = 0;     // 0..23
    int minute = 0;   // 0..59
    int second = 0;   // 0..59

    // Days since 1970-01-01 of the civil date (proleptic Gregorian).
    std::int64_t dayNumber() const;
    // Seconds since 1970-01-01 00:00:00 of this civil time (no time zone applied).
    std::int64_t serialSeconds() const;
    // Whole minutes since 1970-01-01 00:00 (seconds dropped).
    std::int64_t serialMinute() const { return floorDiv(serialSeconds(), 60); }
    // 1 = Sunday ... 7 = Saturday.
    int weekday() const;

    static DateTime fromSerialSeconds(std::int64_t s);
    static bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
    static int daysInMonth(int y, int m);

    auto operator<=>(const DateTime&) const = default;

private:
    static std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
        std::int64_t q = a / b;
        return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
    }
};

// The time sources the core reads: the wall clock (local time, for the due
// rules and the status bar) and a monotonic clock (for waits).
class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() const = 0;
    // Seconds from an arbitrary fixed point; never goes backwards.
    virtual double monotonicSeconds() const = 0;
};

} // namespace wendrel
