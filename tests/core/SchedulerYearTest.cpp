// A whole leap year of one-second ticks against a fake clock, counting the
// starts of every task.
#include <gtest/gtest.h>

#include <vector>

#include "model/General.h"
#include "scheduler/Scheduler.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

namespace {

struct Expect {
    TaskRecord task;
    long starts;
    const char* what;
};

TaskRecord make(std::int16_t interval, std::initializer_list<std::pair<std::int16_t TaskRecord::*, int>> fields) {
    TaskRecord t;
    t.Interval = interval;
    t.Active = 1;
    for (auto [field, value] : fields) t.*field = static_cast<std::int16_t>(value);
    return t;
}

} // namespace

TEST(SchedulerYear, EveryTaskStartsAsOftenAsItsIntervalSaysOverALeapYear) {
    using T = TaskRecord;
    // 2028 is a leap year of 366 days beginning on a Saturday, so it has
    // 53 Saturdays and Sundays and 52 of every other weekday.
    const long seconds = 366L * 86400;
    std::vector<Expect> cases{
        {make(Hourly, {{&T::MinsPastHour, 0}}), 366 * 24, "hourly :00"},
        {make(Hourly, {{&T::MinsPastHour, 59}}), 366 * 24, "hourly :59"},
        {make(Daily, {{&T::TimeHour, 9}, {&T::TimeMinute, 30}}), 366, "daily 09:30"},
        {make(Daily, {{&T::TimeHour, 0}, {&T::TimeMinute, 0}}), 366, "daily 00:00"},
        {make(Daily, {{&T::TimeHour, 23}, {&T::TimeMinute, 59}}), 366, "daily 23:59"},
        {make(Weekly, {{&T::DayofWeek, 0}, {&T::TimeHour, 12}}), 53, "weekly Sunday"},
        {make(Weekly, {{&T::DayofWeek, 3}, {&T::TimeHour, 12}}), 52, "weekly Wednesday"},
        {make(Monthly, {{&T::DayofMonth, 0}}), 12, "monthly 1st"},
        {make(Monthly, {{&T::DayofMonth, 28}}), 12, "monthly 29th"},
        {make(Monthly, {{&T::DayofMonth, 29}}), 11, "monthly 30th"},
        {make(Monthly, {{&T::DayofMonth, 30}}), 7, "monthly 31st"},
        {make(Yearly, {{&T::DateDay, 28}, {&T::DateMonth, 1}}), 1, "yearly 29 February"},
        {make(Yearly, {{&T::DateDay, 30}, {&T::DateMonth, 11}, {&T::TimeHour, 23}, {&T::TimeMinute, 59}}), 1,
         "yearly 31 December 23:59"},
        {make(OtherInterval, {{&T::Other, 0}, {&T::MSOption, 1}}), seconds, "other 0"},
        {make(OtherInterval, {{&T::Other, 5}, {&T::MSOption, 1}}), seconds / 5, "other 5 s"},
        {make(OtherInterval, {{&T::Other, 1}, {&T::MSOption, 0}}), seconds / 60, "other 1 min"},
        {make(OtherInterval, {{&T::Other, 59}, {&T::MSOption, 0}}), (seconds - 1) / 3540 + 1, "other 59 min"},
        {make(Daily, {{&T::TimeHour, 9}, {&T::TimeMinute, 30}, {&T::Active, 0}}), 0, "inactive"},
        {make(6, {}), 0, "interval 6"},
        {make(Hourly, {{&T::MinsPastHour, 15}}), 1, "hourly whose script is missing"},
    };
    const int missing = static_cast<int>(cases.size());

    General g;
    for (const Expect& e : cases) g.slot(g.append()) = e.task;
    FakeClock clock;
    clock.wall = DateTime{2028, 1, 1, 0, 0, 0};
    std::vector<long> starts(cases.size() + 1, 0);
    Scheduler scheduler(g, clock, [&](int i) {
        ++starts[static_cast<std::size_t>(i)];
        if (i != missing) g.slot(i).Running = 0;
    });
    for (long s = 0; s < seconds; ++s) {
        scheduler.Tick();
        clock.advance(1);
    }
    EXPECT_EQ(clock.wall, (DateTime{2029, 1, 1, 0, 0, 0}));
    for (std::size_t k = 0; k < cases.size(); ++k)
        EXPECT_EQ(starts[k + 1], cases[k].starts) << cases[k].what;
}
