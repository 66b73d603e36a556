#include "model/DateTime.h"

#include <cstdio>

namespace wendrel {

namespace {
// Howard Hinnant's days_from_civil / civil_from_days.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}
} // namespace

std::int64_t DateTime::dayNumber() const {
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
}

// In 64 bits throughout: the fields of a time made from outside need not be
// in their ranges.
std::int64_t DateTime::serialSeconds() const {
    return dayNumber() * 86400 + std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
}

int DateTime::weekday() const {
    // 1970-01-01 was a Thursday (5 when Sunday is 1).
    std::int64_t w = (dayNumber() + 4) % 7;
    if (w < 0) w += 7;
    return static_cast<int>(w) + 1;
}

DateTime DateTime::fromSerialSeconds(std::int64_t s) {
    std::int64_t days = floorDiv(s, 86400);
    std::int64_t rem = s - days * 86400;
    DateTime t;
    civilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rem / 3600);
    t.minute = static_cast<int>(rem % 3600 / 60);
    t.second = static_cast<int>(rem % 60);
    return t;
}

std::string dateTimeText(const DateTime& t, char between) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d:%02d", t.year, t.month, t.day, between, t.hour,
                  t.minute, t.second);
    return text;
}

} // namespace wendrel
