#pragma once
// The machine's clocks: real time converted to local time through the C
// library's zone (read once, re-checked only when asked), the monotonic clock
// and the boot-time clock, which also counts time spent suspended.
#include <cstdint>

#include "model/DateTime.h"

namespace wendrel {

class SystemClock : public Clock {
public:
    SystemClock();
    DateTime now() const override { return read().local; }
    double monotonicSeconds() const override;
    ClockReading read() const override;
    double bootSeconds() const override;
    std::int32_t utcOffsetAt(std::int64_t utc) const override;
    // Looks at the zone setting (TZ, /etc/localtime): one stat of the zone
    // file, and a new reading of it when it changed. Calls within the same
    // second of the clock after the first do nothing.
    void recheckZone() const override;

private:
    mutable std::int64_t zoneCheckedAt_ = -1;
    // Readings within one second share one conversion to local time.
    mutable ClockReading cached_{};
    mutable bool haveCached_ = false;
};

} // namespace wendrel
