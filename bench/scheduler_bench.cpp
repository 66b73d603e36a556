// The cost of the schedule tick against a fake clock:
//   1. microseconds per tick with 200 active tasks of which none is due, each
//      one making the rule of its interval test every part;
//   2. the time to simulate one year of one-second ticks (31,536,000 of them)
//      with a mixed table of 20 tasks, and the starts that gave.
// Usage: scheduler_bench [ticks for the first figure, default 200000]
#include <chrono>
#include <cstdio>
#include <string>

#include "model/General.h"
#include "scheduler/Scheduler.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;
using Steady = std::chrono::steady_clock;

namespace {

double secondsSince(Steady::time_point t0) {
    return std::chrono::duration<double>(Steady::now() - t0).count();
}

// 200 tasks, none due on Sunday 6 December 2026 between 09:30:00 and 09:30:59,
// but each with its date part matching so the time parts are read as well.
void fillNoneDue(General& g, const DateTime& now) {
    for (int i = 1; i <= General::MaxTasks; ++i) {
        TaskRecord& t = g.slot(g.append());
        t.Active = 1;
        t.Interval = static_cast<std::int16_t>(i % 6);
        t.TimeHour = 10;
        t.TimeMinute = 30;
        t.MinsPastHour = static_cast<std::int16_t>(i % 59 == 30 ? 31 : i % 59);
        t.DayofWeek = 0;       // Sunday
        t.DayofMonth = 5;      // the 6th
        t.DateDay = 5;
        t.DateMonth = 11;      // December
        t.Other = 59;
        t.MSOption = 0;
        t.LastRun = DateTime::fromSerialSeconds(now.serialSeconds() - 10);
    }
}

} // namespace

int main(int argc, char** argv) {
    const long ticks = argc > 1 ? std::stol(argv[1]) : 200000;

    {
        General g;
        FakeClock clock;
        clock.wall = DateTime{2026, 12, 6, 9, 30, 0};
        fillNoneDue(g, clock.wall);
        long starts = 0;
        Scheduler s(g, clock, [&](int) { ++starts; });
        const auto t0 = Steady::now();
        for (long k = 0; k < ticks; ++k) {
            clock.wall.second = static_cast<int>(k % 60);
            s.Tick();
        }
        const double sec = secondsSince(t0);
        std::printf("tick, 200 active tasks, none due: %.3f us per tick (%ld ticks, %ld starts)\n",
                    sec * 1e6 / static_cast<double>(ticks), ticks, starts);
    }

    {
        General g;
        auto add = [&](std::int16_t interval, int a, int b, int c, int d) {
            TaskRecord& t = g.slot(g.append());
            t.Active = 1;
            t.Interval = interval;
            t.MinsPastHour = t.TimeMinute = static_cast<std::int16_t>(a);
            t.TimeHour = static_cast<std::int16_t>(b);
            t.DayofWeek = t.DayofMonth = t.DateDay = static_cast<std::int16_t>(c);
            t.DateMonth = static_cast<std::int16_t>(d);
            t.Other = static_cast<std::int16_t>(a);
            t.MSOption = static_cast<std::int16_t>(b);
        };
        for (int k = 0; k < 4; ++k) {
            add(Hourly, 15 * k, 0, 0, 0);
            add(Daily, 10 * k, 6 * k, 0, 0);
            add(Weekly, 0, 12, k, 0);
            add(Monthly, 0, 8, 9 * k, 0);
        }
        add(Yearly, 0, 9, 28, 1);
        add(OtherInterval, 5, 1, 0, 0);
        add(OtherInterval, 1, 0, 0, 0);
        add(OtherInterval, 59, 0, 0, 0);
        FakeClock clock;
        clock.wall = DateTime{2027, 1, 1, 0, 0, 0};
        long starts = 0;
        Scheduler s(g, clock, [&](int i) {
            ++starts;
            g.slot(i).Running = 0;
        });
        const long year = 365L * 86400;
        const auto t0 = Steady::now();
        for (long k = 0; k < year; ++k) {
            s.Tick();
            clock.advance(1);
        }
        const double sec = secondsSince(t0);
        std::printf("one year of ticks (%ld), 20 tasks: %.2f s, %.3f us per tick, %ld starts\n", year, sec,
                    sec * 1e6 / static_cast<double>(year), starts);
    }
    return 0;
}
