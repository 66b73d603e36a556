// A task's status as the grid and the command line show it: when the tick
// starts it next (each interval, month and year ends, the local time's
// changes in Europe/Berlin), and how its last run went, also after a restart.
#include <gtest/gtest.h>

#include "scheduler/Scheduler.h"
#include "session/Session.h"
#include "store/FileNames.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace wendrel;
using DT = DateTime;
using Outcome = Session::TaskStatus::Outcome;

namespace {

// CET, and CEST from the last Sunday of March to the last Sunday of October
// (changes at 01:00 UTC).
struct BerlinClock : Clock {
    std::int64_t utc = 0;
    double boot = 1000;
    static std::int64_t lastSunday(int y, int m) {
        const DT t{y, m, 31, 1, 0, 0};
        return t.serialSeconds() - std::int64_t(t.weekday() - 1) * 86400;
    }
    std::int32_t utcOffsetAt(std::int64_t t) const override {
        const int y = DT::fromSerialSeconds(t).year;
        return t >= lastSunday(y, 3) && t < lastSunday(y, 10) ? 7200 : 3600;
    }
    ClockReading read() const override {
        const std::int32_t off = utcOffsetAt(utc);
        return {utc, DT::fromSerialSeconds(utc + off), off};
    }
    DT now() const override { return read().local; }
    double monotonicSeconds() const override { return boot; }
    // The first showing of a local time.
    void setLocal(const DT& t) { utc = t.serialSeconds() - utcOffsetAt(t.serialSeconds() - 7200); }
};

struct NextStart : ::testing::Test {
    General g;
    BerlinClock clock;
    Scheduler s{g, clock, {}};
    std::optional<DT> at(const TaskRecord& task, const DT& now) {
        clock.setLocal(now);
        return next(task);
    }
    std::optional<DT> next(const TaskRecord& task) { return s.nextStart(task, clock.read(), clock.boot); }
};

TaskRecord fixed(std::int16_t interval, std::int16_t hour, std::int16_t minute) {
    return {.Interval = interval, .TimeHour = hour, .TimeMinute = minute, .MinsPastHour = minute, .Active = 1};
}
TaskRecord monthly(std::int16_t day) {
    TaskRecord t = fixed(Monthly, 8, 0);
    t.DayofMonth = day - 1;
    return t;
}
TaskRecord yearly(std::int16_t day, std::int16_t month) {
    TaskRecord t = fixed(Yearly, 8, 0);
    t.DateDay = day - 1, t.DateMonth = month - 1;
    return t;
}
TaskRecord other(std::int16_t amount, std::int16_t unit) {
    return {.Interval = OtherInterval, .Other = amount, .MSOption = unit, .Active = 1};
}

const DT kSunday{2026, 12, 6, 9, 30, 0};

TEST_F(NextStart, EachIntervalAtItsNextMatch) {
    TaskRecord weekly = fixed(Weekly, 8, 0);
    weekly.DayofWeek = 1;
    const struct {
        const char* what;
        TaskRecord task;
        DT now;
        std::optional<DT> expected;
    } cases[] = {
        {"hourly, later this hour", fixed(Hourly, 0, 45), kSunday, DT{2026, 12, 6, 9, 45, 0}},
        {"hourly, past this hour", fixed(Hourly, 0, 15), kSunday, DT{2026, 12, 6, 10, 15, 0}},
        {"daily, due this minute", fixed(Daily, 9, 30), kSunday, DT{2026, 12, 6, 9, 30, 0}},
        {"daily, past today", fixed(Daily, 9, 29), kSunday, DT{2026, 12, 7, 9, 29, 0}},
        {"weekly on Monday", weekly, kSunday, DT{2026, 12, 7, 8, 0, 0}},
        {"monthly on the 31st skips November", monthly(31), DT{2026, 11, 5}, DT{2026, 12, 31, 8, 0, 0}},
        {"monthly on the 1st, into the next year", monthly(1), kSunday, DT{2027, 1, 1, 8, 0, 0}},
        {"yearly on 29 February", yearly(29, 2), kSunday, DT{2028, 2, 29, 8, 0, 0}},
        {"yearly on 29 February past 2100", yearly(29, 2), DT{2096, 3, 1}, DT{2104, 2, 29, 8, 0, 0}},
        {"yearly on 31 April", yearly(31, 4), kSunday, std::nullopt},
        {"an unknown interval", fixed(9, 9, 30), kSunday, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(at(c.task, c.now), c.expected) << c.what;
    TaskRecord off = fixed(Daily, 9, 30);
    off.Active = 0;
    EXPECT_EQ(at(off, kSunday), std::nullopt) << "inactive";
}

TEST_F(NextStart, ATaskStartedOrRunningThisMinuteWaitsForTheNextMatch) {
    TaskRecord t = fixed(Daily, 9, 30);
    clock.setLocal(kSunday);
    t.LastStartUtc = clock.utc;
    clock.utc += 20;
    EXPECT_EQ(next(t), (DT{2026, 12, 7, 9, 30, 0})) << "started this minute";
    t.LastStartUtc = clock.utc - 60;
    EXPECT_EQ(next(t), (DT{2026, 12, 6, 9, 30, 0})) << "started in the minute before";
    t.Running = 1;
    EXPECT_EQ(next(t), (DT{2026, 12, 7, 9, 30, 0})) << "running";
}

TEST_F(NextStart, LocalTimeChanges) {
    // 29 March 2026: 02:00 to 02:59 do not show; 25 October: they show twice.
    EXPECT_EQ(at(fixed(Daily, 2, 30), DT{2026, 3, 29, 1, 0, 0}), (DT{2026, 3, 29, 3, 0, 0})) << "starts at the change";
    EXPECT_EQ(at(fixed(Hourly, 0, 30), DT{2026, 3, 29, 1, 45, 0}), (DT{2026, 3, 29, 3, 30, 0})) << "no skipped hour";
    clock.setLocal(DT{2026, 10, 25, 2, 10, 0});
    clock.utc += 3600; // the second showing
    EXPECT_EQ(next(fixed(Daily, 2, 30)), (DT{2026, 10, 26, 2, 30, 0})) << "daily: its first showing is past";
    EXPECT_EQ(next(fixed(Hourly, 0, 30)), (DT{2026, 10, 25, 2, 30, 0})) << "hourly: every real hour";
}

TEST_F(NextStart, OtherCountsRealSecondsFromItsLastStart) {
    TaskRecord t = other(5, 0);
    EXPECT_EQ(at(t, kSunday), kSunday) << "never started: due now";
    clock.setLocal(DT{2026, 3, 29, 1, 58, 0});
    t.LastStartUtc = clock.utc - 100;
    t.LastRunElapsed = clock.boot - 100;
    EXPECT_EQ(next(t), (DT{2026, 3, 29, 3, 1, 20})) << "five minutes later, across the change";
    clock.utc += 300; // the wall clock set forward: the boot-time clock counts
    EXPECT_EQ(next(t), (DT{2026, 3, 29, 3, 6, 20}));
    clock.boot += 250;
    EXPECT_EQ(next(t), clock.read().local) << "due";
    t.LastRunElapsed.reset(); // a last start from before it was an Other task
    EXPECT_EQ(next(t), clock.read().local) << "due at once";
    t.MSOption = 1;
    t.LastRunElapsed = clock.boot - 2;
    t.LastStartUtc = clock.utc - 2;
    EXPECT_EQ(next(t), DT::fromSerialSeconds(clock.read().local.serialSeconds() + 3)) << "seconds";
}

// Sessions on a folder with one task running script "s.wdx", by hand.
struct LastRun : ::testing::Test, FakeDesktop {
    TempFolder dir;
    std::unique_ptr<Session> open(const std::string& script) {
        writeAll(dir.file("Scripts.dat"), "T~~1~0~0~9~0~0~0~0~0~0~1~s.wdx\r\n");
        writeAll(dir.file("s.wdx"), script);
        auto s = std::make_unique<Session>(dir.path(), services());
        s->load();
        return s;
    }
    std::unique_ptr<Session> reopen(std::unique_ptr<Session> s) {
        s->unload();
        s.reset();
        s = std::make_unique<Session>(dir.path(), services());
        s->load();
        return s;
    }
};

TEST_F(LastRun, FollowsTheRunsEvents) {
    auto s = open("WAIT 1\r\n");
    EXPECT_EQ(s->status(1).lastOutcome, Outcome::None);
    std::optional<Session::TaskStatus> during;
    pump.onPass = [&] { during = s->status(1); };
    const DT began = clock.wall;
    s->runNow(1);
    ASSERT_TRUE(during);
    EXPECT_EQ(during->lastOutcome, Outcome::Running);
    EXPECT_TRUE(during->running);
    EXPECT_EQ(during->lastStart, began);
    EXPECT_EQ(s->status(1).lastOutcome, Outcome::Succeeded);
    EXPECT_FALSE(s->status(1).running);
}

TEST_F(LastRun, AFailureNamesItselfAndLastsTillTheNextRun) {
    auto s = open("EXEC nowhere\r\n");
    launcher.fail = true;
    s->runNow(1);
    EXPECT_EQ(s->status(1).lastOutcome, Outcome::Failed);
    EXPECT_EQ(s->status(1).lastFailure, "program not found: nowhere");
    launcher.fail = false;
    s->runNow(1);
    EXPECT_EQ(s->status(1).lastFailure, "");
    std::remove(dir.file("s.wdx").c_str());
    s->runNow(1);
    EXPECT_EQ(s->status(1).lastFailure, "script missing");
    EXPECT_FALSE(s->status(1).running) << "a missing script has ended its run";
}

TEST_F(LastRun, OutlivesARestart) {
    auto s = open("EXEC nowhere\r\n");
    launcher.fail = true;
    s->runNow(1);
    const auto before = s->status(1);
    s = reopen(std::move(s));
    EXPECT_EQ(s->status(1).lastStart, before.lastStart);
    EXPECT_EQ(s->status(1).lastFailure, before.lastFailure);
    // A run still going when the program stops did not end well.
    pump.onPass = [&] { s->unload(); };
    writeAll(dir.file("s.wdx"), "WAIT 5\r\n");
    s->runNow(1);
    pump.onPass = nullptr;
    s = reopen(std::move(s));
    EXPECT_EQ(s->status(1).lastOutcome, Outcome::Failed);
    EXPECT_FALSE(s->status(1).running);
}

TEST_F(LastRun, ALastRunLineThatDoesNotReadIsPassedOver) {
    auto s = open("");
    s->runNow(1);
    s->unload();
    const std::string state = readAll(dir.file(file_names::kStateFile));
    const auto at = state.find(" S\r\n");
    ASSERT_NE(at, std::string::npos);
    for (const char* damaged : {" X\r\n", "\r\n", " \r\n"}) {
        writeAll(dir.file(file_names::kStateFile), state.substr(0, at) + damaged);
        s = std::make_unique<Session>(dir.path(), services());
        s->load();
        EXPECT_EQ(s->status(1).lastOutcome, Outcome::None) << damaged;
    }
}

} // namespace
