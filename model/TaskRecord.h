#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "model/DateTime.h"
#include "model/FixedText.h"

namespace wendrel {

// One scheduled task. Fields 1-14 are persistent (written to Scripts.dat in
// this order); the rest is run-time state that lives only in memory and is
// copied along whenever the whole record is copied.
struct TaskRecord {
    FixedText<20> Name;
    FixedText<50> Comment;
    std::int16_t Interval = 0;  // 0 Hourly .. 5 Other
    std::int16_t DateDay = 0;   // day of month - 1
    std::int16_t DateMonth = 0; // month - 1
    std::int16_t TimeHour = 0;
    std::int16_t TimeMinute = 0;
    std::int16_t DayofMonth = 0; // day of month - 1
    std::int16_t DayofWeek = 0;  // 0 Sunday .. 6 Saturday
    std::int16_t MinsPastHour = 0;
    std::int16_t Other = 0;    // amount of the Other interval
    std::int16_t MSOption = 0; // 0 minutes, 1 seconds
    std::int16_t Active = 0;   // 0 No, 1 Yes
    FixedText<25> ScriptFile;

    // Run-time state.
    std::int16_t Running = 0;
    std::optional<DateTime> LastRun;
    double ProcessId = 0;
    // The boot-time clock (Clock::bootSeconds) at the last start by the Other
    // rule: its interval is counted on a clock that never goes back.
    std::optional<double> LastRunElapsed;
    // Real time (UTC seconds) of the last start by a fixed-time rule, so such
    // a task starts at most once per real minute. Kept across runs in the
    // scheduler's state file.
    std::optional<std::int64_t> LastStartUtc;
    // The last run as the views show it, followed from the run history's
    // events and kept across runs in the scheduler's state file: when it
    // began (UTC seconds, by hand or by the tick), whether it has ended, and
    // what first went wrong in it (empty: nothing).
    std::optional<std::int64_t> LastRunUtc;
    bool LastRunEnded = false;
    std::string LastFailure;

    bool operator==(const TaskRecord&) const = default;
};

enum IntervalKind : std::int16_t { Hourly = 0, Daily = 1, Weekly = 2, Monthly = 3, Yearly = 4, OtherInterval = 5 };

} // namespace wendrel
