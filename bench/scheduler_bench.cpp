// The cost of the schedule tick:
//   1. microseconds per tick with 200 active tasks of which none is due, each
//      one making the rule of its interval test every part: on the real clock
//      (with the once-a-tick look at the time zone), next to the same tick on
//      a fake clock, and the clock reads it is made of;
//   2. the time to simulate one year of one-second ticks (31,536,000 of them)
//      with a mixed table of 20 tasks, and the starts that gave.
// Usage: scheduler_bench [ticks for the first figure, default 200000]
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "model/General.h"
#include "platform/SystemClock.h"
#include "scheduler/Scheduler.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;
using Steady = std::chrono::steady_clock;

namespace {

double secondsSince(Steady::time_point t0) { return std::chrono::duration<double>(Steady::now() - t0).count(); }

// 200 tasks, none due on Sunday 6 December 2026 between 09:30:00 and 09:30:59,
// but each with its date part matching so the time parts are read as well.
void fillNoneDue(General& g, const Clock& clock) {
    const DateTime now = clock.now();
    for (int i = 1; i <= General::kMaxTasks; ++i) {
        TaskRecord& t = g.slot(g.append());
        t.Active = 1;
        t.Interval = static_cast<std::int16_t>(i % 6);
        t.TimeHour = static_cast<std::int16_t>((now.hour + 1) % 24);
        t.TimeMinute = 30;
        t.MinsPastHour = static_cast<std::int16_t>(i % 59 == 30 ? 31 : i % 59);
        t.DayofWeek = static_cast<std::int16_t>(now.weekday() - 1);
        t.DayofMonth = static_cast<std::int16_t>(now.day - 1);
        t.DateDay = t.DayofMonth;
        t.DateMonth = static_cast<std::int16_t>(now.month - 1);
        t.Other = 59;
        t.MSOption = 0;
        // Started a moment ago: the Other rule reads both clocks.
        t.LastRun = now;
        t.LastRunElapsed = clock.bootSeconds();
        t.LastStartUtc = clock.read().utc;
    }
}

// Nanoseconds per call of f, over n calls.
template <class F> double nsPerCall(long n, F f) {
    const auto t0 = Steady::now();
    for (long k = 0; k < n; ++k) f();
    return secondsSince(t0) * 1e9 / static_cast<double>(n);
}

} // namespace

int main(int argc, char** argv) {
    const long ticks = argc > 1 ? std::stol(argv[1]) : 200000;

    {
        // The real clock. The zone is looked at once per tick; in this tight
        // loop the clock itself would skip most of those looks (they are
        // once per second), so its cost is measured on its own and added.
        SystemClock real;
        General g;
        fillNoneDue(g, real);
        long starts = 0;
        Scheduler s(g, real, [&](int) { ++starts; });
        const double walkUs = nsPerCall(ticks, [&] { s.tick(); }) / 1000.0;
        const double zoneUs = nsPerCall(20000, [] { tzset(); }) / 1000.0;
        const double readNs = nsPerCall(1000000, [&] { (void)real.read(); });
        const double bootNs = nsPerCall(1000000, [&] { (void)real.bootSeconds(); });
        volatile int sink = 0;
        const double convertNs = nsPerCall(200000, [&] {
            time_t t = std::time(nullptr);
            tm parts{};
            localtime_r(&t, &parts);
            sink = parts.tm_sec;
        });

        General fg;
        FakeClock clock;
        fillNoneDue(fg, clock);
        Scheduler fs(fg, clock, [&](int) { ++starts; });
        const double fakeUs = nsPerCall(ticks, [&] { fs.tick(); }) / 1000.0;
        std::printf("tick, 200 active tasks, none due, real clock: %.3f us (walk %.3f us + zone look %.3f us); "
                    "anchor: same walk on a fake clock %.3f us; target <= 20 us (%ld starts)\n",
                    walkUs + zoneUs, walkUs, zoneUs, fakeUs, starts);
        std::printf("  one clock read: real time and local time %.1f ns, boot-time clock %.1f ns; "
                    "a local-time conversion (localtime_r) %.1f ns\n",
                    readNs, bootNs, convertNs);
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
            s.tick();
            clock.advance(1);
        }
        const double sec = secondsSince(t0);
        std::printf("one year of ticks (%ld), 20 tasks: %.2f s, %.3f us per tick, %ld starts\n", year, sec,
                    sec * 1e6 / static_cast<double>(year), starts);
    }
    return 0;
}
