// A task's status as the grid and the command line show it: when the tick
// starts it next (each interval, month and year ends, the local time's
// changes in Europe/Berlin), and how its last run went, also after a restart.
#include <gtest/gtest.h>

#include "session/Session.h"
#include "store/FileNames.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace wendrel;
using DT = DateTime;
using Outcome = Session::TaskStatus::Outcome;

namespace {

// CET, and CEST from the last Sunday of March to that of October (01:00 UTC).
struct BerlinClock : Clock {
    std::int64_t utc = 0;
    double boot = 1000;
    std::int32_t utcOffsetAt(std::int64_t t) const override {
        const auto lastSunday = [y = DT::fromSerialSeconds(t).year](int m) {
            const DT d{y, m, 31, 1};
            return d.serialSeconds() - std::int64_t(d.weekday() - 1) * 86400;
        };
        return t >= lastSunday(3) && t < lastSunday(10) ? 7200 : 3600;
    }
    ClockReading read() const override {
        return {utc, DT::fromSerialSeconds(utc + utcOffsetAt(utc)), utcOffsetAt(utc)};
    }
    DT now() const override { return read().local; }
    double monotonicSeconds() const override { return boot; }
};

struct NextStart : ::testing::Test {
    General g;
    BerlinClock clock;
    Scheduler s{g, clock, {}};
    // At the first showing of the local time now.
    std::optional<DT> at(const TaskRecord& task, const DT& now) {
        clock.utc = now.serialSeconds() - clock.utcOffsetAt(now.serialSeconds() - 7200);
        return next(task);
    }
    std::optional<DT> next(const TaskRecord& task) { return s.nextStart(task, clock.read(), clock.boot); }
};

TaskRecord task(std::int16_t interval, std::int16_t hour, std::int16_t minute, std::int16_t day = 0,
                std::int16_t month = 0) {
    return {.Interval = interval,
            .DateDay = std::int16_t(day - 1),
            .DateMonth = std::int16_t(month - 1),
            .TimeHour = hour,
            .TimeMinute = minute,
            .DayofMonth = std::int16_t(day - 1),
            .DayofWeek = day,
            .MinsPastHour = minute,
            .Active = 1};
}

const DT kSunday{2026, 12, 6, 9, 30, 0};

TEST_F(NextStart, EachIntervalAtItsNextMatch) {
    const struct {
        TaskRecord task;
        DT now;
        std::optional<DT> expected;
    } cases[] = {
        {task(Hourly, 0, 15), kSunday, DT{2026, 12, 6, 10, 15}},
        {task(Daily, 9, 30), kSunday, DT{2026, 12, 6, 9, 30}}, // due this minute
        {task(Weekly, 8, 0, 1), kSunday, DT{2026, 12, 7, 8, 0}},
        {task(Monthly, 8, 0, 31), DT{2026, 11, 5}, DT{2026, 12, 31, 8, 0}},
        {task(Monthly, 8, 0, 1), kSunday, DT{2027, 1, 1, 8, 0}},
        {task(Yearly, 8, 0, 29, 2), DT{2096, 3, 1}, DT{2104, 2, 29, 8, 0}},
        {task(Yearly, 8, 0, 31, 4), kSunday, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(at(c.task, c.now), c.expected) << "interval " << c.task.Interval;
    TaskRecord off = task(Daily, 9, 30);
    off.Active = 0;
    EXPECT_EQ(at(off, kSunday), std::nullopt);
}

TEST_F(NextStart, ATaskStartedOrRunningThisMinuteWaitsForTheNextMatch) {
    TaskRecord t = task(Daily, 9, 30);
    at(t, kSunday);
    t.LastStartUtc = clock.utc;
    clock.utc += 20;
    EXPECT_EQ(next(t), (DT{2026, 12, 7, 9, 30})) << "started this minute";
    t.LastStartUtc = clock.utc - 60;
    t.Running = 1;
    EXPECT_EQ(next(t), (DT{2026, 12, 7, 9, 30})) << "running";
}

TEST_F(NextStart, LocalTimeChanges) {
    // 29 March 2026: 02:00 to 02:59 do not show; 25 October: they show twice.
    EXPECT_EQ(at(task(Daily, 2, 30), DT{2026, 3, 29, 1}), (DT{2026, 3, 29, 3, 0})) << "starts at the change";
    EXPECT_EQ(at(task(Hourly, 0, 30), DT{2026, 3, 29, 1, 45}), (DT{2026, 3, 29, 3, 30})) << "no skipped hour";
    at({}, DT{2026, 10, 25, 2, 10});
    clock.utc += 3600; // the second showing
    EXPECT_EQ(next(task(Daily, 2, 30)), (DT{2026, 10, 26, 2, 30})) << "daily: its first showing is past";
    EXPECT_EQ(next(task(Hourly, 0, 30)), (DT{2026, 10, 25, 2, 30})) << "hourly: every real hour";
}

TEST_F(NextStart, OtherCountsRealSecondsFromItsLastStart) {
    TaskRecord t{.Interval = OtherInterval, .Other = 5, .Active = 1};
    EXPECT_EQ(at(t, kSunday), kSunday) << "never started: due now";
    at(t, DT{2026, 3, 29, 1, 58});
    t.LastStartUtc = clock.utc - 100;
    t.LastRunElapsed = clock.boot - 100;
    EXPECT_EQ(next(t), (DT{2026, 3, 29, 3, 1, 20})) << "five minutes later, across the change";
    clock.utc += 2; // jitter between the clocks
    EXPECT_EQ(next(t), (DT{2026, 3, 29, 3, 1, 20}));
    clock.utc += 298; // the wall clock set forward: the boot-time clock counts
    EXPECT_EQ(next(t), (DT{2026, 3, 29, 3, 6, 20}));
    clock.boot += 250;
    EXPECT_EQ(next(t), clock.read().local) << "due";
    t.LastRunElapsed.reset(); // a last start from before it was an Other task
    EXPECT_EQ(next(t), clock.read().local) << "due at once";
}

// A session on a folder with one task (Daily at 09:00, unless given) that
// runs script "s.wdx".
struct LastRun : ::testing::Test, FakeDesktop {
    TempFolder dir;
    std::unique_ptr<Session> s;
    Session::TaskStatus open(const std::string& script = {}, const char* schedule = "1~0~0~9~0~0~0~0~0~0") {
        if (s) s->unload();
        writeAll(dir.file("Scripts.dat"), std::string("T~~") + schedule + "~1~s.wdx\r\n");
        if (!script.empty()) writeAll(dir.file("s.wdx"), script);
        s.reset(); // the state file is read once the old session has gone
        s = std::make_unique<Session>(dir.path(), services());
        s->load();
        return s->status(1);
    }
    Session::TaskStatus run() {
        s->runNow(1);
        return s->status(1);
    }
};

TEST_F(LastRun, FollowsTheRunsEvents) {
    const auto before = open("WAIT 1\r\n");
    EXPECT_EQ(before.lastOutcome, Outcome::None);
    EXPECT_EQ(before.nextStart, (DT{2026, 12, 7, 9, 0}));
    EXPECT_EQ(run().lastOutcome, Outcome::Succeeded);
    std::optional<Session::TaskStatus> during;
    pump.onPass = [&] { during = s->status(1); };
    const DT began = clock.wall;
    run();
    ASSERT_TRUE(during);
    EXPECT_EQ(during->lastOutcome, Outcome::Running);
    EXPECT_TRUE(during->running);
    EXPECT_EQ(during->lastStart, began);
    EXPECT_EQ(s->status(0).lastOutcome, Outcome::None) << "no task";
}

// The next tick writes a changed outcome; a task that runs every few seconds
// has it written only when it turns.
TEST_F(LastRun, AnOtherTasksOutcomeIsWrittenWhenItTurns) {
    open("EXEC p\r\n", "5~0~0~0~0~0~0~0~0~1"); // every second
    const auto state = [this] { return readAll(dir.file(file_names::kStateFile)); };
    s->tick();
    EXPECT_EQ(state(), "") << "succeeded as before: nothing to write";
    launcher.fail = true;
    clock.advance(1);
    s->tick();
    const std::string turned = state();
    EXPECT_NE(turned.find(" F program not found: p"), std::string::npos);
    clock.advance(1);
    s->tick();
    EXPECT_EQ(state(), turned) << "failed as before";
}

TEST_F(LastRun, AFailureNamesItselfLastsTillTheNextRunAndOutlivesARestart) {
    open("EXEC nowhere\r\n");
    launcher.fail = true;
    const auto failed = run();
    EXPECT_EQ(failed.lastFailure, "program not found: nowhere");
    const auto reopened = open();
    EXPECT_EQ(reopened.lastFailure, failed.lastFailure);
    EXPECT_EQ(reopened.lastStart, failed.lastStart);
    launcher.fail = false;
    EXPECT_EQ(run().lastOutcome, Outcome::Succeeded);
    std::remove(dir.file("s.wdx").c_str());
    const auto missing = run();
    EXPECT_EQ(missing.lastFailure, "script missing");
    EXPECT_FALSE(missing.running) << "a missing script has ended its run";
}

TEST_F(LastRun, ARunCutShortByTheProgramsEndFailed) {
    open("WAIT 5\r\n");
    pump.onPass = [&] { s->unload(); };
    run();
    pump.onPass = nullptr;
    EXPECT_EQ(open().lastOutcome, Outcome::Failed);
}

TEST_F(LastRun, ASuccessOutlivesARestartAndADamagedLineIsPassedOver) {
    open("WAIT 0\r\n");
    run();
    EXPECT_EQ(open().lastOutcome, Outcome::Succeeded);
    EXPECT_EQ(open().lastOutcome, Outcome::Succeeded) << "written again as read";
    s->unload();
    std::string state = readAll(dir.file(file_names::kStateFile));
    writeAll(dir.file(file_names::kStateFile), state.replace(state.find(" S\r\n"), 2, " X"));
    EXPECT_EQ(open().lastOutcome, Outcome::None);
}

TEST(GridDoubleClick, TheLastRunColumnShowsTheHistoryTheNextStartOneEdits) {
    EXPECT_EQ(doubleClickAction(6), DoubleClickAction::Edit);
    EXPECT_EQ(doubleClickAction(7), DoubleClickAction::ShowHistory);
}

} // namespace
