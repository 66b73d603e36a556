// The due rules of the six intervals, the order and nesting of starts, a
// whole leap year of ticks in Europe/Berlin time, each task's next start;
// and time as users live it: the wall clock set both ways, suspend, and the
// last starts kept across a restart.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "store/FileNames.h"
#include "scheduler/Scheduler.h"
#include "tests/core/TempFolder.h"

// Tasks are written as designated initializers naming only the fields a
// rule reads; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace wendrel;
using DT = DateTime;

namespace {

// Real time in UTC, shown as Europe/Berlin time: CET (+1 h), and CEST (+2 h)
// from the last Sunday of March to the last Sunday of October, changing at
// 01:00 UTC. The boot-time clock moves with real time, also
// while the machine sleeps; setting the wall clock leaves it alone.
struct TestClock : Clock {
    std::int64_t utc = 0;
    double boot = 1000;

    static std::int64_t lastSunday(int y, int m) { // m: a month of 31 days
        DT t{y, m, 31, 1, 0, 0};
        return t.serialSeconds() - std::int64_t(t.weekday() - 1) * 86400;
    }
    std::int32_t utcOffsetAt(std::int64_t t) const override {
        const int y = DT::fromSerialSeconds(t).year;
        return t >= lastSunday(y, 3) && t < lastSunday(y, 10) ? 7200 : 3600;
    }
    ClockReading read() const override {
        if (cached.utc != utc || cached.local.year == 1899) {
            const std::int32_t off = utcOffsetAt(utc);
            cached = {utc, DT::fromSerialSeconds(utc + off), off};
        }
        return cached;
    }
    mutable ClockReading cached;
    DT now() const override { return read().local; }
    double monotonicSeconds() const override { return boot; }
    double bootSeconds() const override { return boot; }

    void setLocal(const DT& t) { // the first occurrence of a repeated time
        utc = t.serialSeconds() - utcOffsetAt(t.serialSeconds() - 7200);
    }
    void advance(std::int64_t s) { utc += s, boot += double(s); } // setting the wall clock: utc alone
};

// A table, a clock and a runner that records each start and ends the script
// at once (Running back to 0) unless the script file is "missing".
struct Rig {
    General g;
    TestClock clock;
    std::vector<int> started;
    std::function<void(int)> script;
    bool missing = false;
    Scheduler s{g, clock, [this](int i) {
                    EXPECT_EQ(g.slot(i).Running, 1) << "slot " << i << " started without its Running flag";
                    started.push_back(i);
                    if (script) script(i);
                    if (!missing) g.slot(i).Running = 0;
                }};
    explicit Rig(std::initializer_list<TaskRecord> tasks, DT at = {2026, 12, 6, 9, 30, 0}) {
        for (const TaskRecord& t : tasks) g.slot(g.append()) = t;
        clock.setLocal(at);
    }
    // Ticks once a second; returns the starts meanwhile.
    long tickFor(long seconds) {
        const size_t before = started.size();
        for (long k = 0; k < seconds; ++k, clock.advance(1)) s.tick();
        return static_cast<long>(started.size() - before);
    }
    long startsOf(int slot) const { return std::count(started.begin(), started.end(), slot); }
    std::optional<DT> next(const TaskRecord& t) const { return s.nextStart(t, clock.read(), clock.boot); }
    std::optional<DT> nextAt(const TaskRecord& t, const DT& local) {
        clock.setLocal(local);
        return next(t);
    }
};

using I = std::int16_t;
TaskRecord hourly(I m) { return {.Interval = Hourly, .MinsPastHour = m, .Active = 1}; }
TaskRecord daily(I h, I m) { return {.Interval = Daily, .TimeHour = h, .TimeMinute = m, .Active = 1}; }
TaskRecord weekly(I wd, I h = 12) { return {.Interval = Weekly, .TimeHour = h, .DayofWeek = wd, .Active = 1}; }
TaskRecord monthly(I d, I h = 0, I m = 0) {
    return {.Interval = Monthly, .TimeHour = h, .TimeMinute = m, .DayofMonth = d, .Active = 1};
}
TaskRecord yearly(I d, I mo, I h = 0, I m = 0) {
    return {.Interval = Yearly, .DateDay = d, .DateMonth = mo, .TimeHour = h, .TimeMinute = m, .Active = 1};
}
TaskRecord other(I n, I unit) { return {.Interval = OtherInterval, .Other = n, .MSOption = unit, .Active = 1}; }

} // namespace

// Slot 1's script takes 45 s and ends in 09:31, slot 2's minute; slot 3's
// interval counts from its own start, not from the tick's.
TEST(SchedulerFixedTime, EachRuleReadsTheClockAfreshAfterAScriptRan) {
    Rig r({daily(9, 30), daily(9, 31), other(1, 0)}, {2026, 12, 6, 9, 30, 30});
    r.script = [&](int i) {
        if (i == 1) r.clock.advance(45);
    };
    r.s.tick();
    EXPECT_EQ(r.started, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(r.tickFor(60), 0);
    EXPECT_EQ(r.tickFor(1), 1);
}

// How often Other tasks start is counted in the year below; here, what only
// they do: start on the first tick, and again while their last run goes on.
// Also after a fixed-time start, the task changed to Other.
TEST(SchedulerOther, DueAtOnceWhateverRunningSaysAndAgainAfterARunByHand) {
    Rig r({daily(9, 0)}, {2026, 12, 6, 9, 0, 17});
    r.missing = true; // Running stays 1 after each start
    EXPECT_EQ(r.tickFor(1), 1);
    r.g.slot(1).Interval = OtherInterval;
    r.g.slot(1).Other = 5;
    EXPECT_EQ(r.tickFor(1), 1);
    EXPECT_EQ(r.g.slot(1).LastRun, (DT{2026, 12, 6, 9, 0, 18}));
    EXPECT_EQ(r.tickFor(300), 1);
    r.missing = false;
    r.g.slot(1).Running = 0;
    r.tickFor(60);
    EXPECT_TRUE(r.s.runNow(1));
    EXPECT_EQ(r.g.slot(1).LastRun, r.clock.now()) << "a run by hand is the last run";
    r.clock.boot -= 0.5; // started late in its second: the wall clock's whole seconds count
    EXPECT_EQ(r.tickFor(300), 0);
    EXPECT_EQ(r.tickFor(1), 1);
}

TEST(SchedulerMissedRuns, ASuspendOverADueMinuteStartsTasksOnceOnlyWithTheOption) {
    for (int option : {0, 1}) {
        Rig r({daily(9, 30), hourly(0), other(1, 0), daily(9, 29)}, {2026, 12, 6, 9, 29, 0});
        r.g.RunMissedTasks = std::int16_t(option);
        r.tickFor(30);
        r.started.clear();
        r.clock.advance(2 * 3600); // no ticks meanwhile: two hours asleep
        r.tickFor(120);
        EXPECT_EQ(r.startsOf(1), option) << "daily, option " << option;
        EXPECT_EQ(r.startsOf(2), option) << "hourly missed twice, option " << option;
        EXPECT_EQ(r.startsOf(3), 2) << "other, option " << option;
        EXPECT_EQ(r.startsOf(4), 0) << "started before the sleep, option " << option;
    }
}

TEST(SchedulerMissedRuns, TheLastStartsSurviveARestartAndTheClosedTimeIsCaughtUp) {
    TempFolder dir;
    const std::string path = dir.file(file_names::kStateFile);
    {
        Rig r({daily(9, 30), hourly(45), other(1, 1)});
        EXPECT_EQ(r.s.useStateFile(path), "");
        r.tickFor(20);
        EXPECT_EQ(r.s.saveState(), "");
    }
    // Restarted within the minute, the table reordered and a comment edited:
    // the daily task does not start again.
    TaskRecord moved = daily(9, 30);
    moved.Comment = "edited";
    Rig again({hourly(45), moved}, {2026, 12, 6, 9, 30, 40});
    again.g.RunMissedTasks = 1;
    again.s.useStateFile(path);
    EXPECT_EQ(again.g.slot(2).LastStartUtc, (DT{2026, 12, 6, 8, 30, 0}.serialSeconds())); // 9:30 CET
    EXPECT_EQ(again.tickFor(10), 0);
    again.s.saveState();
    // Closed until the next day at noon: each missed task starts once.
    for (int option : {0, 1}) {
        Rig later({hourly(45), moved}, {2026, 12, 7, 12, 0, 0});
        later.g.RunMissedTasks = std::int16_t(option);
        later.s.useStateFile(path);
        EXPECT_EQ(later.tickFor(60), option * 2) << "option " << option;
    }
}

TEST(SchedulerNever, InactiveUnknownIntervalsAndACorruptCount) {
    Rig r({other(0, 1), other(0, 1), {.Interval = 6, .Active = 1}, {.Interval = -1, .Active = 1}});
    r.g.slot(1).Active = 0;
    r.g.slot(2).Active = 2;
    EXPECT_EQ(r.tickFor(60), 0);
    r.g.TaskCount = 32000;
    EXPECT_NO_THROW(r.s.tick());
    r.g.TaskCount = 0;
    r.g.slot(1) = other(0, 1);
    EXPECT_EQ(r.tickFor(1), 0) << "no task counted";
}

// A day of an every-second task whose script waits 30 s, with the ticks of
// the wait nested in it: the nesting stops at the cap, the task goes on
// starting, and a Daily task behind it still starts once in its minute.
TEST(SchedulerNesting, ADayOfWaitingScriptsStaysWithinTheCap) {
    Rig r({other(1, 1), daily(9, 30)}, {2026, 12, 6, 0, 0, 0});
    int deepest = 0;
    r.script = [&](int i) {
        deepest = std::max(deepest, r.s.depth());
        if (r.s.depth() == Scheduler::kMaxNesting) EXPECT_FALSE(r.s.runNow(2)) << "a run by hand past the cap";
        if (i != 1 || r.s.depth() > 4 * Scheduler::kMaxNesting) return; // far past the cap: stop the run-away
        for (const double end = r.clock.boot + 30; r.clock.boot < end;) {
            r.clock.advance(1);
            r.s.tick();
        }
    };
    const DT end{2026, 12, 7, 0, 0, 0};
    while (r.clock.now() < end) {
        r.s.tick();
        r.clock.advance(1);
    }
    EXPECT_EQ(deepest, Scheduler::kMaxNesting);
    EXPECT_GT(r.startsOf(1), 20000);
    EXPECT_EQ(r.startsOf(2), 1);
}

TEST(SchedulerYear, EveryTaskStartsAsOftenAsItsIntervalSaysAlsoAcrossDaylightSaving) {
    // 2028 in Berlin: 366 days from a Saturday, so 53 Sundays; on Sunday 26
    // March the local time skips from 2:00 to 3:00, on Sunday 29 October it
    // repeats the hour from 2:00. Each count also says that a task starts in
    // its due minute only, once, and never while its script runs (the last
    // one's file is missing). 600 minutes are beyond 16 bits in seconds.
    const long secs = 366L * 86400;
    const std::pair<TaskRecord, long> cases[] =
        {{daily(2, 30), 366},      {daily(2, 0), 366},        {daily(3, 0), 366},
         {daily(0, 0), 366},       {hourly(0), 366 * 24},     {weekly(0, 2), 53},
         {monthly(25, 2, 30), 12}, {monthly(29), 11},         {monthly(30), 7},
         {yearly(28, 1), 1},       {yearly(25, 2, 2, 30), 1}, {yearly(28, 9, 2, 30), 1},
         {other(0, 1), secs},      {other(5, 1), secs / 5},   {other(600, 0), (secs - 1) / 36000 + 1},
         {hourly(15), 1}};
    Rig r({}, {2028, 1, 1, 0, 0, 0});
    for (const auto& c : cases) r.g.slot(r.g.append()) = c.first;
    std::vector<long> starts(std::size(cases) + 1);
    std::vector<DT> startsOf230;
    r.s.setRunner([&](int i) {
        ++starts[size_t(i)];
        if (i == 1) startsOf230.push_back(r.clock.now());
        if (i != r.g.TaskCount) r.g.slot(i).Running = 0;
    });
    r.tickFor(secs); // to 2029-01-01 0:00
    for (size_t k = 0; k < std::size(cases); ++k) EXPECT_EQ(starts[k + 1], cases[k].second) << "slot " << k + 1;
    // On the change days the 2:30 task starts right after the skipped hour,
    // and at the first of the two 2:30s.
    ASSERT_EQ(startsOf230.size(), 366u);
    EXPECT_EQ(startsOf230[85], (DT{2028, 3, 26, 3, 0, 0}));
    EXPECT_EQ(startsOf230[302], (DT{2028, 10, 29, 2, 30, 0}));
}

// Years missed (a clock set far ahead) are not all looked at: a rule that
// never holds (30 February) is given up after its longest period.
TEST(SchedulerMissedRuns, YearsMissedAreNotAllLookedAt) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < 10; ++k)
        Scheduler::fixedRuleMatchesBetween(yearly(29, 1), DT{1970, 1, 1}.serialMinute(), DT{9999, 1, 1}.serialMinute());
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
}

TEST(SchedulerMissedRuns, OneOrTwoMinutesMissedAreCaughtUpToTheLast) {
    for (int missed : {1, 2}) {
        Rig r({daily(9, 30)}, {2026, 12, 6, 9, 30 - missed, 59});
        r.g.RunMissedTasks = 1;
        r.tickFor(1);
        r.clock.advance(60 * missed); // no tick until 9:31:00
        EXPECT_EQ(r.tickFor(1), 1) << missed << " minutes missed";
    }
    // A minute that had its ticks is no missed one: a task made active just
    // after its minute waits for the next.
    Rig late({daily(9, 30)}, {2026, 12, 6, 9, 30, 58});
    late.g.RunMissedTasks = 1;
    late.g.slot(1).Active = 0;
    late.tickFor(2);
    late.g.slot(1).Active = 1;
    EXPECT_EQ(late.tickFor(2), 0);
}

TEST(SchedulerMissedRuns, TheStateFileIsWrittenAtAStartAndOnceAnHourBesides) {
    TempFolder dir;
    const std::string path = dir.file(file_names::kStateFile);
    Rig r({daily(9, 30)});
    r.s.useStateFile(path);
    const std::int64_t start = r.clock.utc;
    r.tickFor(1);
    EXPECT_NE(readAll(path).find("task "), std::string::npos);
    r.tickFor(3600);
    const std::string afterAnHour = readAll(path);
    EXPECT_NE(afterAnHour.find(std::to_string(start + 3600)), std::string::npos) << afterAnHour;
    r.tickFor(60);
    EXPECT_EQ(readAll(path), afterAnHour);
}

// Asleep over 8:30; at 9:30 the daily task's script lets a tick run at once,
// which starts the hourly task in its own minute: the outer walk does not
// catch it up again.
TEST(SchedulerMissedRuns, ATaskStartedByANestedTickIsNotCaughtUpAgainByTheOuterOne) {
    Rig r({daily(9, 30), hourly(30)}, {2026, 12, 6, 8, 0, 0});
    r.g.RunMissedTasks = 1;
    r.tickFor(1);
    r.clock.advance(90 * 60);
    r.script = [&](int i) {
        if (i == 1) r.s.tick();
    };
    r.s.tick();
    EXPECT_EQ(r.startsOf(2), 1);
}

TEST(SchedulerClockChange, ALocalTimeSkippedOrRepeatedBetweenTwoTicksStartsItsTaskOnce) {
    // In Berlin 2:00 becomes 3:00 on 26 March 2028; no tick for a minute
    // around it. The task of the minute before does not start again. The 2:30 task's
    // script takes two minutes: the 3:00 task behind it, whose minute showed
    // meanwhile, is passed over as after any long script.
    Rig r({daily(2, 30), daily(1, 59), daily(3, 0)}, {2028, 3, 26, 1, 59, 30});
    r.script = [&](int i) {
        if (i == 1) r.clock.advance(120);
    };
    r.tickFor(1);
    r.clock.advance(59);
    r.tickFor(61);
    EXPECT_EQ(r.startsOf(1), 1);
    EXPECT_EQ(r.startsOf(2), 1);
    EXPECT_EQ(r.startsOf(3), 0);
    // A time server's correction of a few seconds back, just after the
    // change, does not start the skipped time's task again.
    Rig set({daily(2, 30)}, {2028, 3, 26, 1, 59, 59});
    EXPECT_EQ(set.tickFor(2), 1);
    set.clock.advance(10);
    set.clock.utc -= 5;
    EXPECT_EQ(set.tickFor(1), 0);
    // On 29 October the hour from 2:00 repeats; ticks stop for 3 minutes
    // before the second 2:30: the missed minutes end before it.
    Rig back({daily(2, 30)}, {2028, 10, 29, 2, 30, 0});
    back.g.RunMissedTasks = 1;
    back.tickFor(3600 - 180);
    back.clock.advance(180);
    EXPECT_EQ(back.tickFor(60), 0);
}

// December 2026 begins its second week on Sunday the 6th (DayofWeek 0).
TEST(SchedulerNextStart, EachIntervalAtItsNextMatchAlsoAcrossLocalTimeChangesOtherInRealSeconds) {
    const DT sunday{2026, 12, 6, 9, 30, 0};
    const std::tuple<TaskRecord, DT, std::optional<DT>> cases[] = {
        {hourly(15), DT{2026, 12, 6, 23, 0}, DT{2026, 12, 6, 23, 15}}, // the day's last hour
        {daily(9, 30), sunday, DT{2026, 12, 6, 9, 30}},                // due this minute
        {weekly(1, 8), sunday, DT{2026, 12, 7, 8, 0}},
        {monthly(30, 8), DT{2026, 11, 5}, DT{2026, 12, 31, 8, 0}},
        {monthly(0, 8), sunday, DT{2027, 1, 1, 8, 0}},
        {yearly(28, 1, 8), DT{2096, 3, 1}, DT{2104, 2, 29, 8, 0}},
        {yearly(30, 3, 8), sunday, std::nullopt},
        {{.Interval = Daily, .TimeHour = 9, .TimeMinute = 30}, sunday, std::nullopt}, // inactive
    };
    Rig r({});
    for (const auto& [task, now, expected] : cases)
        EXPECT_EQ(r.nextAt(task, now), expected) << "interval " << task.Interval;
    // Started or running in its minute: the next match.
    TaskRecord t = daily(9, 30);
    r.clock.setLocal(sunday);
    t.LastStartUtc = r.clock.utc;
    r.clock.utc += 20;
    EXPECT_EQ(r.next(t), (DT{2026, 12, 7, 9, 30})) << "started this minute";
    t.LastStartUtc = r.clock.utc - 60;
    t.Running = 1;
    EXPECT_EQ(r.next(t), (DT{2026, 12, 7, 9, 30})) << "running";
    // 29 March 2026: 02:00 to 02:59 do not show; 25 October: they show twice.
    EXPECT_EQ(r.nextAt(daily(2, 30), DT{2026, 3, 29, 1}), (DT{2026, 3, 29, 3, 0})) << "starts at the change";
    EXPECT_EQ(r.nextAt(hourly(30), DT{2026, 3, 29, 1, 45}), (DT{2026, 3, 29, 3, 30})) << "no skipped hour";
    r.clock.setLocal(DT{2026, 10, 25, 2, 10});
    r.clock.utc += 3600; // the second showing
    EXPECT_EQ(r.next(daily(2, 30)), (DT{2026, 10, 26, 2, 30})) << "daily: its first showing is past";
    EXPECT_EQ(r.next(hourly(30)), (DT{2026, 10, 25, 2, 30})) << "hourly: every real hour";
    // Other counts real seconds from its last start.
    t = other(5, 0);
    EXPECT_EQ(r.nextAt(t, DT{2026, 12, 6, 9, 30}), (DT{2026, 12, 6, 9, 30})) << "never started: due now";
    r.clock.setLocal(DT{2026, 3, 29, 1, 58});
    t.LastStartUtc = r.clock.utc - 100;
    t.LastRunElapsed = r.clock.boot - 100;
    EXPECT_EQ(r.next(t), (DT{2026, 3, 29, 3, 1, 20})) << "five minutes later, across the change";
    r.clock.utc += 2; // jitter between the clocks
    EXPECT_EQ(r.next(t), (DT{2026, 3, 29, 3, 1, 20}));
    r.clock.utc += 298; // the wall clock set forward: the boot-time clock counts
    EXPECT_EQ(r.next(t), (DT{2026, 3, 29, 3, 6, 20}));
    r.clock.boot += 250;
    EXPECT_EQ(r.next(t), r.clock.now()) << "due";
    t.LastRunElapsed.reset(); // a last start from before it was an Other task
    EXPECT_EQ(r.next(t), r.clock.now()) << "due at once";
}
