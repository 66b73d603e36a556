// The due rules of the six intervals against a fake clock, the order and
// nesting of starts, and a whole leap year of ticks.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "scheduler/Scheduler.h"
#include "tests/fakes/Fakes.h"

// Tasks are written as designated initializers naming only the fields a
// rule reads; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace wendrel;
using DT = DateTime;

namespace {

// A table, a fake clock and a runner that records each start and ends the
// script at once (Running back to 0) unless the script file is "missing".
struct Rig {
    General g;
    FakeClock clock;
    std::vector<int> started;
    std::function<void(int)> script;
    bool missing = false;
    Scheduler s{g, clock, [this](int i) {
        started.push_back(i * 10 + g.slot(i).Running);  // slot and its Running flag
        if (script) script(i);
        if (!missing) g.slot(i).Running = 0;
    }};
    explicit Rig(std::initializer_list<TaskRecord> tasks, DT at = {}) {
        for (const TaskRecord& t : tasks) g.slot(g.append()) = t;
        clock.wall = at;
    }
    // Ticks once a second; returns the starts meanwhile.
    long tickFor(long seconds) {
        const size_t before = started.size();
        for (long k = 0; k < seconds; ++k, clock.advance(1)) s.Tick();
        return static_cast<long>(started.size() - before);
    }
};

TaskRecord hourly(int m) { return {.Interval = Hourly, .MinsPastHour = std::int16_t(m), .Active = 1}; }
TaskRecord daily(int h, int m) { return {.Interval = Daily, .TimeHour = std::int16_t(h), .TimeMinute = std::int16_t(m), .Active = 1}; }
TaskRecord weekly(int wd) { return {.Interval = Weekly, .TimeHour = 12, .DayofWeek = std::int16_t(wd), .Active = 1}; }
TaskRecord monthly(int d) { return {.Interval = Monthly, .DayofMonth = std::int16_t(d), .Active = 1}; }
TaskRecord yearly(int d, int mo) { return {.Interval = Yearly, .DateDay = std::int16_t(d), .DateMonth = std::int16_t(mo), .Active = 1}; }
TaskRecord other(int n, int unit) { return {.Interval = OtherInterval, .Other = std::int16_t(n), .MSOption = std::int16_t(unit), .Active = 1}; }

} // namespace

TEST(SchedulerFixedTime, EachRuleHoldsInItsDueMinuteOnlyAndStartsOnce) {
    struct Case { TaskRecord t; DT from; long seconds, starts; } cases[] = {
        {daily(9, 30), {2026, 12, 6, 9, 29, 0}, 60, 0},
        {daily(9, 30), {2026, 12, 6, 9, 30, 0}, 60, 1},     // not again after its script ended
        {daily(9, 30), {2026, 12, 6, 9, 31, 0}, 86340, 0},  // until 09:30 the next day
        {weekly(0), {2026, 12, 7, 0, 0, 0}, 6 * 86400, 0},  // Monday to Saturday
        {weekly(0), {2026, 12, 13, 0, 0, 0}, 86400, 1},     // Sunday
        {weekly(6), {2026, 12, 12, 12, 0, 0}, 1, 1},        // Saturday
        {monthly(30), {2027, 4, 30, 0, 0, 0}, 86400 + 60, 0}, // no 31 April
        {yearly(28, 1), {2027, 2, 28, 0, 0, 0}, 2 * 86400, 0},  // no 29 February
        {yearly(4, 6), {2027, 5, 7, 0, 0, 0}, 60, 0},       // day and month swapped
    };
    for (const Case& c : cases) {
        Rig r({c.t}, c.from);
        EXPECT_EQ(r.tickFor(c.seconds), c.starts) << "interval " << c.t.Interval << " from day " << c.from.day;
    }
}

TEST(SchedulerFixedTime, RunningBlocksAStartAndAMissingScriptBlocksAllLaterOnes) {
    Rig r({daily(9, 30)}, {2026, 12, 6, 9, 30, 10});
    r.g.slot(1).Running = 1;
    EXPECT_EQ(r.tickFor(5), 0);
    r.g.slot(1).Running = 0;
    r.missing = true;
    EXPECT_EQ(r.tickFor(3 * 86400), 1);
}

TEST(SchedulerFixedTime, EachPartOfARuleReadsTheClockAfresh) {
    // Every read is one second later: hour read at 09:29:59, minute at 09:30:00.
    struct Stepping : Clock {
        mutable std::int64_t t = DT{2026, 12, 6, 9, 29, 59}.serialSeconds();
        DT now() const override { return DT::fromSerialSeconds(t++); }
        double monotonicSeconds() const override { return 0; }
    } clock;
    EXPECT_TRUE(Scheduler::IsDue(daily(9, 30), clock));
}

TEST(SchedulerOther, AmountInMinutesOrSecondsCountedFromLastRun) {
    Rig r({other(5, 0), other(5, 1), other(0, 0)}, {2026, 12, 6, 9, 0, 17});
    r.tickFor(1);  // no LastRun yet: all due at once
    EXPECT_EQ(r.g.slot(1).LastRun, (DT{2026, 12, 6, 9, 0, 17}));
    r.tickFor(299);
    EXPECT_EQ(std::count(r.started.begin(), r.started.end(), 11), 1);
    EXPECT_EQ(std::count(r.started.begin(), r.started.end(), 21), 60);
    EXPECT_EQ(std::count(r.started.begin(), r.started.end(), 31), 300);
    r.tickFor(1);
    EXPECT_EQ(std::count(r.started.begin(), r.started.end(), 11), 2);
    // Running is not consulted; a LastRun in the future (clock set back) waits.
    r.missing = true;
    r.g.slot(2).LastRun = DT{2026, 12, 6, 9, 10, 0};
    r.started.clear();
    r.tickFor(3);
    EXPECT_EQ(r.started, (std::vector<int>{31, 31, 31}));
}

TEST(SchedulerOther, AmountsBeyondTheListAreCountedIn32Bits) {
    EXPECT_EQ(Scheduler::OtherAmountSeconds(other(32767, 0)), 1966020);
    EXPECT_EQ(Scheduler::OtherAmountSeconds(other(7, 2)), 7);
    Rig r({other(600, 0)});
    EXPECT_EQ(r.tickFor(36000), 1);
    EXPECT_EQ(r.tickFor(1), 1);
}

TEST(SchedulerNever, InactiveUnknownIntervalsAndACorruptCount) {
    TaskRecord off = other(0, 1), two = other(0, 1);
    off.Active = 0;
    two.Active = 2;
    Rig r({off, two, {.Interval = 6, .Active = 1}, {.Interval = -1, .Active = 1}, hourly(60), daily(24, 0)});
    EXPECT_EQ(r.tickFor(86400), 0);
    r.g.TaskCount = 32000;
    EXPECT_NO_THROW(r.s.Tick());
}

TEST(SchedulerNesting, TableOrderAndTicksDuringAWait) {
    // Slot 1 waits 130 s; slot 2 falls due meanwhile; slot 3 is every minute;
    // slot 4 is due together with slot 1 and starts from the first nested tick.
    Rig r({daily(9, 30), daily(9, 31), other(1, 0), hourly(30)}, {2026, 12, 6, 9, 30, 0});
    std::vector<std::pair<int, int>> inWait;  // (second of the wait, slot * 10 + Running)
    r.script = [&](int i) {
        for (int sec = 1; i == 1 && sec <= 130; ++sec) {
            r.clock.advance(1);
            const size_t before = r.started.size();
            r.s.Tick();
            EXPECT_EQ(r.s.depth(), 1);
            for (size_t k = before; k < r.started.size(); ++k) inWait.push_back({sec, r.started[k]});
        }
    };
    r.tickFor(1);
    EXPECT_EQ(inWait, (std::vector<std::pair<int, int>>{{1, 31}, {1, 41}, {60, 21}, {61, 31}, {121, 31}}));
    EXPECT_EQ(r.started.size(), 6u);  // back in the outer walk nothing else is due
    r.script = nullptr;
    r.clock.wall = {2026, 12, 7, 9, 30, 0};
    r.started.clear();
    r.tickFor(1);
    EXPECT_EQ(r.started, (std::vector<int>{11, 31, 41}));
}

TEST(SchedulerNesting, TheWalkKeepsTheCountItStartedWith) {
    Rig r({other(0, 1), other(0, 1), other(0, 1)});
    r.script = [&](int i) {
        if (i == 1 && r.g.TaskCount == 3) r.g.slot(r.g.append()) = other(0, 1);
    };
    EXPECT_EQ(r.tickFor(1), 3);
    EXPECT_EQ(r.tickFor(1), 4);
}

// A day of an every-second task whose script waits 30 s, with the ticks of
// the wait nested in it: the nesting stops at the cap, the task goes on
// starting, and a Daily task behind it still starts once in its minute.
TEST(SchedulerNesting, ADayOfWaitingScriptsStaysWithinTheCap) {
    Rig r({other(1, 1), daily(9, 30)}, {2026, 12, 6, 0, 0, 0});
    int deepest = 0;
    r.script = [&](int i) {
        deepest = std::max(deepest, r.s.depth());
        if (i != 1 || r.s.depth() > 4 * Scheduler::MaxNesting) return;  // far past the cap: stop the run-away
        for (const double end = r.clock.mono + 30; r.clock.mono < end;) {
            r.clock.advance(1);
            r.s.Tick();
        }
    };
    const DT end{2026, 12, 7, 0, 0, 0};
    while (r.clock.wall < end) {
        r.s.Tick();
        r.clock.advance(1);
    }
    EXPECT_EQ(deepest, Scheduler::MaxNesting);
    EXPECT_GT(std::count(r.started.begin(), r.started.end(), 11), 20000);
    EXPECT_EQ(std::count(r.started.begin(), r.started.end(), 21), 1);
}

TEST(SchedulerYear, EveryTaskStartsAsOftenAsItsIntervalSays) {
    // 2028: 366 days from a Saturday, so 53 Sundays and 52 Wednesdays.
    const long secs = 366L * 86400;
    TaskRecord end = yearly(30, 11);
    end.TimeHour = 23;
    end.TimeMinute = 59;
    std::vector<std::pair<TaskRecord, long>> cases{
        {hourly(0), 366 * 24}, {hourly(59), 366 * 24}, {daily(9, 30), 366}, {daily(0, 0), 366},
        {daily(23, 59), 366}, {weekly(0), 53}, {weekly(3), 52}, {monthly(0), 12}, {monthly(28), 12},
        {monthly(29), 11}, {monthly(30), 7}, {yearly(28, 1), 1}, {end, 1}, {other(0, 1), secs},
        {other(5, 1), secs / 5}, {other(1, 0), secs / 60}, {other(59, 0), (secs - 1) / 3540 + 1},
        {{.Interval = 6, .Active = 1}, 0}, {hourly(15), 1} /* its script is missing */};
    Rig r({}, {2028, 1, 1, 0, 0, 0});
    for (const auto& c : cases) r.g.slot(r.g.append()) = c.first;
    std::vector<long> starts(cases.size() + 1);
    r.s.setRunner([&](int i) {
        ++starts[size_t(i)];
        if (i != r.g.TaskCount) r.g.slot(i).Running = 0;
    });
    r.tickFor(secs);
    EXPECT_EQ(r.clock.wall, (DT{2029, 1, 1, 0, 0, 0}));
    for (size_t k = 0; k < cases.size(); ++k) EXPECT_EQ(starts[k + 1], cases[k].second) << "slot " << k + 1;
}
