// The due rules of the six intervals, the order and nesting of starts, and
// what the tick does to the records it starts.
#include <gtest/gtest.h>

#include <vector>

#include "model/General.h"
#include "scheduler/Scheduler.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

namespace {

TaskRecord task(std::int16_t interval) {
    TaskRecord t;
    t.Interval = interval;
    t.Active = 1;
    return t;
}
TaskRecord hourly(int minute) {
    TaskRecord t = task(Hourly);
    t.MinsPastHour = static_cast<std::int16_t>(minute);
    return t;
}
TaskRecord daily(int hour, int minute) {
    TaskRecord t = task(Daily);
    t.TimeHour = static_cast<std::int16_t>(hour);
    t.TimeMinute = static_cast<std::int16_t>(minute);
    return t;
}
TaskRecord weekly(int dayIndex, int hour, int minute) {
    TaskRecord t = daily(hour, minute);
    t.Interval = Weekly;
    t.DayofWeek = static_cast<std::int16_t>(dayIndex);
    return t;
}
TaskRecord monthly(int dayIndex, int hour, int minute) {
    TaskRecord t = daily(hour, minute);
    t.Interval = Monthly;
    t.DayofMonth = static_cast<std::int16_t>(dayIndex);
    return t;
}
TaskRecord yearly(int dayIndex, int monthIndex, int hour, int minute) {
    TaskRecord t = daily(hour, minute);
    t.Interval = Yearly;
    t.DateDay = static_cast<std::int16_t>(dayIndex);
    t.DateMonth = static_cast<std::int16_t>(monthIndex);
    return t;
}
TaskRecord other(int amount, int unit) {
    TaskRecord t = task(OtherInterval);
    t.Other = static_cast<std::int16_t>(amount);
    t.MSOption = static_cast<std::int16_t>(unit);
    return t;
}

// A task table, a fake clock and a runner that records each start the way
// the script engine would see it, then ends the script (Running back to 0)
// unless told otherwise.
struct Rig {
    General g;
    FakeClock clock;
    std::vector<int> started;
    std::vector<int> runningSeen;
    std::function<void(int)> script;   // runs inside the start, before it ends
    bool keepRunning = false;          // as when the script file is missing
    Scheduler scheduler{g, clock, [this](int i) {
        started.push_back(i);
        runningSeen.push_back(g.slot(i).Running);
        if (script) script(i);
        if (!keepRunning) g.slot(i).Running = 0;
    }};

    int add(const TaskRecord& t) {
        const int n = g.append();
        g.slot(n) = t;
        return n;
    }
    void at(int y, int mo, int d, int h, int mi, int s = 0) { clock.wall = DateTime{y, mo, d, h, mi, s}; }
    // Ticks once a second for the given number of seconds (the first tick at
    // the current time); returns the number of starts meanwhile.
    int tickFor(std::int64_t seconds) {
        const size_t before = started.size();
        for (std::int64_t k = 0; k < seconds; ++k) {
            scheduler.Tick();
            clock.advance(1);
        }
        return static_cast<int>(started.size() - before);
    }
};

// Returns a later time on every read, so a rule that reads the clock for
// each of its parts sees them differ.
class SteppingClock : public Clock {
public:
    explicit SteppingClock(DateTime start) : t_(start.serialSeconds()) {}
    DateTime now() const override { return DateTime::fromSerialSeconds(t_++); }
    double monotonicSeconds() const override { return static_cast<double>(t_); }

private:
    mutable std::int64_t t_;
};

} // namespace

TEST(SchedulerHourly, StartsOnceInMinuteZeroOfEveryHour) {
    Rig r;
    r.add(hourly(0));
    r.at(2026, 12, 6, 0, 0);
    EXPECT_EQ(r.tickFor(86400), 24);
    // One start per hour, each in the first second of minute 0.
    r.at(2026, 12, 7, 13, 59, 59);
    EXPECT_EQ(r.tickFor(1), 0);
    EXPECT_EQ(r.tickFor(1), 1);
    EXPECT_EQ(r.tickFor(59), 0);
}

TEST(SchedulerDaily, StartsInItsMinuteOnlyAndOnce) {
    Rig r;
    r.add(daily(9, 30));
    r.at(2026, 12, 6, 9, 29, 0);
    EXPECT_EQ(r.tickFor(60), 0);
    EXPECT_EQ(r.tickFor(60), 1);   // 09:30:00 .. 09:30:59
    EXPECT_EQ(r.g.slot(1).LastFixedStartMinute, (DateTime{2026, 12, 6, 9, 30, 0}.serialMinute()));
    EXPECT_EQ(r.tickFor(86400 - 120), 0);
    EXPECT_EQ(r.tickFor(120), 1);  // the next day
    // Not at 21:30.
    r.at(2026, 12, 8, 21, 30);
    EXPECT_EQ(r.tickFor(60), 0);
}

TEST(SchedulerDaily, RunningBlocksAStartAndThePreviousStartIsCarriedAlong) {
    Rig r;
    r.add(daily(9, 30));
    r.at(2026, 12, 6, 9, 30, 10);
    r.g.slot(1).Running = 1;
    EXPECT_EQ(r.tickFor(5), 0);
    r.g.slot(1).Running = 0;
    EXPECT_EQ(r.tickFor(5), 1);
    // A copy of the record (a move in the list) keeps its last start.
    r.g.append();
    r.g.move(1, 2);
    EXPECT_EQ(r.tickFor(5), 0);
    // A fresh record with the same settings is started in the same minute.
    r.g.slot(1) = daily(9, 30);
    EXPECT_EQ(r.tickFor(1), 1);
    EXPECT_EQ(r.started.back(), 1);
}

TEST(SchedulerDaily, AMissingScriptLeavesTheTaskRunningSoItNeverStartsAgain) {
    Rig r;
    r.keepRunning = true;
    r.add(daily(9, 30));
    r.at(2026, 12, 6, 9, 30);
    EXPECT_EQ(r.tickFor(3 * 86400), 1);
}

TEST(SchedulerWeekly, SundayOnly) {
    Rig r;
    r.add(weekly(0, 12, 0));
    r.at(2026, 12, 7, 12, 0);  // a Monday
    for (int day = 0; day < 6; ++day) {
        EXPECT_EQ(r.tickFor(60), 0) << "day " << day;
        r.clock.advance(86400 - 60);
    }
    EXPECT_EQ(r.clock.wall.weekday(), 1);
    EXPECT_EQ(r.tickFor(60), 1);
    // Sunday, but at another time.
    r.at(2026, 12, 13, 13, 0);
    EXPECT_EQ(r.tickFor(60), 0);
}

TEST(SchedulerWeekly, SaturdayIsIndexSix) {
    Rig r;
    r.add(weekly(6, 8, 15));
    r.at(2026, 12, 12, 8, 15);  // a Saturday
    EXPECT_EQ(r.tickFor(1), 1);
}

TEST(SchedulerMonthly, The31stNeverFallsDueInShorterMonths) {
    Rig r;
    r.add(monthly(30, 0, 0));
    int starts = 0;
    for (int month = 1; month <= 12; ++month) {
        for (int day = 28; day <= DateTime::daysInMonth(2027, month); ++day) {
            r.at(2027, month, day, 0, 0);
            starts += r.tickFor(60);
        }
    }
    EXPECT_EQ(starts, 7);
    r.at(2027, 4, 30, 0, 0);
    EXPECT_EQ(r.tickFor(86400 + 60), 0);  // 30 April into 1 May
}

TEST(SchedulerMonthly, DayIndexZeroIsTheFirst) {
    Rig r;
    r.add(monthly(0, 23, 59));
    r.at(2027, 3, 1, 23, 59);
    EXPECT_EQ(r.tickFor(1), 1);
    r.at(2027, 3, 2, 23, 59);
    EXPECT_EQ(r.tickFor(1), 0);
}

TEST(SchedulerYearly, The29thOfFebruaryOnlyInLeapYears) {
    Rig r;
    r.add(yearly(28, 1, 6, 0));
    for (int year : {2027, 2100}) {
        r.at(year, 2, 28, 6, 0);
        EXPECT_EQ(r.tickFor(2 * 86400), 0) << year;  // 28 February and 1 March
    }
    for (int year : {2028, 2000}) {
        r.at(year, 2, 28, 6, 0);
        EXPECT_EQ(r.tickFor(2 * 86400), 1) << year;
    }
}

TEST(SchedulerYearly, DayAndMonthMustBothMatch) {
    Rig r;
    r.add(yearly(4, 6, 10, 0));  // 5 July
    r.at(2027, 7, 5, 10, 0);
    EXPECT_EQ(r.tickFor(1), 1);
    r.at(2027, 5, 7, 10, 0);
    EXPECT_EQ(r.tickFor(1), 0);
    r.at(2027, 8, 5, 10, 0);
    EXPECT_EQ(r.tickFor(1), 0);
}

TEST(SchedulerOther, ZeroIsDueOnEveryTick) {
    Rig r;
    r.add(other(0, 0));
    r.add(other(0, 1));
    r.at(2026, 12, 6, 9, 0);
    EXPECT_EQ(r.tickFor(10), 20);
}

TEST(SchedulerOther, FiveMinutesIsThreeHundredSecondsAndFiveSecondsIsFive) {
    Rig r;
    r.add(other(5, 0));
    r.add(other(5, 1));
    r.at(2026, 12, 6, 9, 0, 17);
    r.tickFor(1);  // both due at once: no LastRun yet
    ASSERT_EQ(r.started, (std::vector<int>{1, 2}));
    r.started.clear();
    r.tickFor(299);
    EXPECT_EQ(std::count(r.started.begin(), r.started.end(), 1), 0);
    EXPECT_EQ(std::count(r.started.begin(), r.started.end(), 2), 59);  // at 5, 10, ... 295
    r.started.clear();
    r.tickFor(1);  // 300 seconds after the first start
    EXPECT_EQ(r.started, (std::vector<int>{1, 2}));
}

TEST(SchedulerOther, LastRunIsSetToNowBeforeTheScriptRuns) {
    Rig r;
    r.add(other(1, 1));
    r.at(2026, 12, 6, 9, 0, 0);
    std::optional<DateTime> seen;
    r.script = [&](int i) { seen = r.g.slot(i).LastRun; };
    r.tickFor(1);
    EXPECT_EQ(seen, (DateTime{2026, 12, 6, 9, 0, 0}));
    EXPECT_EQ(r.runningSeen, (std::vector<int>{1}));
}

TEST(SchedulerOther, RunningIsNotConsulted) {
    Rig r;
    r.keepRunning = true;
    r.add(other(2, 1));
    r.at(2026, 12, 6, 9, 0);
    EXPECT_EQ(r.tickFor(10), 5);
}

TEST(SchedulerOther, AmountsBeyondTheListAreCountedIn32Bits) {
    TaskRecord t = other(600, 0);
    EXPECT_EQ(Scheduler::OtherAmountSeconds(t), 36000);
    t = other(32767, 0);
    EXPECT_EQ(Scheduler::OtherAmountSeconds(t), 1966020);
    // Any unit other than 0 counts seconds.
    t = other(7, 2);
    EXPECT_EQ(Scheduler::OtherAmountSeconds(t), 7);

    Rig r;
    r.add(other(600, 0));
    r.at(2026, 12, 6, 9, 0);
    EXPECT_EQ(r.tickFor(36000), 1);
    EXPECT_EQ(r.tickFor(1), 1);
}

TEST(SchedulerOther, ALastRunInTheFutureWaitsUntilTheAmountHasPassedSinceIt) {
    Rig r;
    TaskRecord t = other(10, 1);
    t.LastRun = DateTime{2026, 12, 6, 10, 0, 0};  // the clock was set back
    r.add(t);
    r.at(2026, 12, 6, 9, 59, 55);
    EXPECT_EQ(r.tickFor(15), 0);
    EXPECT_EQ(r.tickFor(1), 1);
}

TEST(SchedulerNever, InactiveAndUnknownIntervalsAndOutOfRangeFields) {
    Rig r;
    TaskRecord off = other(0, 1);
    off.Active = 0;
    r.add(off);
    TaskRecord two = other(0, 1);
    two.Active = 2;
    r.add(two);
    r.add(task(6));
    r.add(task(-1));
    r.add(task(32767));
    r.add(hourly(60));
    r.add(daily(24, 0));
    r.add(weekly(7, 0, 0));
    r.add(monthly(-1, 0, 0));
    r.add(yearly(0, 12, 0, 0));
    r.at(2026, 12, 6, 0, 0);
    EXPECT_EQ(r.tickFor(2 * 86400), 0);
    // The due check itself does not look at Active.
    EXPECT_TRUE(Scheduler::IsDue(off, r.clock));
    EXPECT_FALSE(Scheduler::IsDue(task(6), r.clock));
}

TEST(SchedulerNever, ACorruptTaskCountDoesNotReachBeyondTheTable) {
    Rig r;
    r.add(other(0, 1));
    r.g.TaskCount = 32000;
    EXPECT_NO_THROW(r.scheduler.Tick());
    r.g.TaskCount = -5;
    EXPECT_NO_THROW(r.scheduler.Tick());
    EXPECT_EQ(r.started, (std::vector<int>{1}));
}

TEST(SchedulerDueCheck, EachPartOfARuleReadsTheClockAfresh) {
    // Hour read at 09:29:59, minute read at 09:30:00: a Daily 09:30 holds.
    SteppingClock clock(DateTime{2026, 12, 6, 9, 29, 59});
    EXPECT_TRUE(Scheduler::IsDue(daily(9, 30), clock));
    // Weekday read on Saturday 23:59:59, time read on Sunday: not Sunday's task.
    SteppingClock late(DateTime{2026, 12, 12, 23, 59, 59});
    EXPECT_FALSE(Scheduler::IsDue(weekly(0, 0, 0), late));
}

TEST(SchedulerDueCheck, MatchesTheTickForFixedTimeTasks) {
    FakeClock clock;
    clock.wall = DateTime{2026, 12, 6, 9, 30, 5};
    TaskRecord t = daily(9, 30);
    EXPECT_TRUE(Scheduler::IsDue(t, clock));
    t.Running = 1;
    EXPECT_FALSE(Scheduler::IsDue(t, clock));
    t.Running = 0;
    t.LastFixedStartMinute = clock.wall.serialMinute();
    EXPECT_FALSE(Scheduler::IsDue(t, clock));
    t.LastFixedStartMinute = clock.wall.serialMinute() - 1440;
    EXPECT_TRUE(Scheduler::IsDue(t, clock));
}

TEST(SchedulerOrder, TasksDueTogetherStartInTableOrderOneAfterTheOther) {
    Rig r;
    r.add(daily(9, 30));
    r.add(other(0, 1));
    r.add(hourly(30));
    r.add(daily(9, 30));
    r.at(2026, 12, 6, 9, 30);
    std::vector<int> endedBeforeNext;
    r.script = [&](int i) {
        // Every earlier start of this tick has already ended.
        for (int k = 1; k < i; ++k)
            if (r.g.slot(k).Running != 0) endedBeforeNext.push_back(k);
    };
    r.tickFor(1);
    EXPECT_EQ(r.started, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(r.runningSeen, (std::vector<int>{1, 1, 1, 1}));
    EXPECT_TRUE(endedBeforeNext.empty());
}

TEST(SchedulerNesting, TicksDuringAWaitStartOthersButSkipTheRunningTask) {
    Rig r;
    r.add(daily(9, 30));      // waits 130 seconds in its script
    r.add(daily(9, 31));      // falls due while slot 1 waits
    r.add(other(1, 0));       // every minute, even while its own run waits
    r.add(hourly(30));        // due together with slot 1: started by a nested tick
    r.at(2026, 12, 6, 9, 30, 0);
    std::vector<std::pair<int, int>> startsInWait;  // (second of the wait, slot)
    int depthSeen = 0;
    r.script = [&](int i) {
        if (i != 1) return;
        for (int s = 1; s <= 130; ++s) {
            r.clock.advance(1);
            const size_t before = r.started.size();
            r.scheduler.Tick();
            depthSeen = std::max(depthSeen, r.scheduler.depth());
            for (size_t k = before; k < r.started.size(); ++k) startsInWait.push_back({s, r.started[k]});
        }
    };
    r.tickFor(1);
    EXPECT_EQ(r.scheduler.depth(), 0);
    EXPECT_GE(depthSeen, 1);
    // The outer walk is still inside slot 1, so the first nested tick
    // (09:30:01) starts slots 3 and 4 but skips the running slot 1; later
    // nested ticks start slot 2 at 09:31:00 and slot 3 again each minute.
    const std::vector<std::pair<int, int>> expected{{1, 3}, {1, 4}, {60, 2}, {61, 3}, {121, 3}};
    EXPECT_EQ(startsInWait, expected);
    // After slot 1 returns, the outer walk goes on: slot 2 is idle again but
    // its minute has passed, slot 3's amount has not elapsed, slot 4 already
    // ran in 09:30 and it is now 09:32.
    EXPECT_EQ(r.started.size(), 6u);
    EXPECT_EQ(r.started.front(), 1);
}

TEST(SchedulerNesting, AnOtherTaskIsStartedAgainWhileItsOwnRunWaits) {
    Rig r;
    r.add(other(2, 1));
    r.at(2026, 12, 6, 9, 0, 0);
    int inner = 0;
    r.script = [&](int) {
        if (r.scheduler.depth() > 1) { ++inner; return; }
        for (int s = 0; s < 5; ++s) {
            r.clock.advance(1);
            r.scheduler.Tick();
        }
    };
    r.tickFor(1);
    EXPECT_EQ(inner, 2);  // at 2 and 4 seconds into the first run
}

TEST(SchedulerNesting, TheWalkKeepsTheCountItStartedWith) {
    Rig r;
    for (int k = 0; k < 3; ++k) r.add(other(0, 1));
    r.at(2026, 12, 6, 9, 0, 0);
    // The user adds a task while slot 1 runs: this walk does not reach it.
    r.script = [&](int i) {
        if (i == 1 && r.g.TaskCount == 3) r.g.slot(r.g.append()) = other(0, 1);
    };
    r.tickFor(1);
    EXPECT_EQ(r.started, (std::vector<int>{1, 2, 3}));
    r.started.clear();
    r.tickFor(1);
    EXPECT_EQ(r.started, (std::vector<int>{1, 2, 3, 4}));

    // The user deletes two tasks while slot 1 runs: the walk still examines
    // four slots, and the emptied ones are blank and so inactive.
    r.started.clear();
    r.script = [&](int i) {
        if (i == 1 && r.g.TaskCount == 4) {
            r.g.remove(4);
            r.g.remove(2);
        }
    };
    r.tickFor(1);
    EXPECT_EQ(r.started, (std::vector<int>{1, 2}));
    EXPECT_EQ(r.g.TaskCount, 2);
}
