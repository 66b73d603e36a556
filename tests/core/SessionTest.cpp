// The session: when the task list is written (a task that New added only
// once the editor commits it), how failed saves are reported, where the
// unload puts the list when the folder cannot take it, and the questions
// asked before a task is deleted or moved; each task's last run as the grid
// shows it, also after a restart; what the history says when a run does not
// end as planned or the history cannot be written; and how a task whose
// script went missing comes back.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "session/Session.h"
#include "store/FileNames.h"
#include "store/TaskLine.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

// Tasks are written as designated initializers naming only the fields set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace wendrel;
using Texts = std::vector<std::string>;
using Outcome = Session::TaskStatus::Outcome;

namespace {

struct SessionTest : ::testing::Test, FakeDesktop {
    TempFolder dir;
    std::unique_ptr<Session> s;
    Texts failures; // texts of the reported save failures
    Texts notices;

    // A session (again, after the old one's unload) on folder, by default
    // the temporary one, whose task list is lines.
    Session& open(const std::string& lines, const std::string& folder = {}) {
        if (s) s->unload();
        writeAll(dir.file("Scripts.dat"), lines);
        s.reset(); // the state file is read once the old session has gone
        s = std::make_unique<Session>(folder.empty() ? dir.path() : folder, services());
        s->setSaveFailureHandler([this](const std::string& text) { failures.push_back(text); });
        s->setNoticeHandler([this](const std::string& text) { notices.push_back(text); });
        s->load();
        return *s;
    }
    // Tasks T1..Tcount that run no script.
    Session& tasks(int count, const std::string& folder = {}) {
        std::string lines;
        for (int i = 1; i <= count; ++i) lines += "T" + std::to_string(i) + "~~0~0~0~0~0~0~0~0~0~0~1~\r\n";
        return open(lines, folder);
    }
    // Task T (Daily at 09:00, unless given) runs s.wdx; its status.
    Session::TaskStatus daily(const std::string& script = {}, const char* schedule = "1~0~0~9~0~0~0~0~0~0") {
        if (!script.empty()) writeAll(dir.file("s.wdx"), script);
        return open(std::string("T~~") + schedule + "~1~s.wdx\r\n").status(1);
    }
    Session::TaskStatus run() {
        s->runNow(1);
        return s->status(1);
    }
    std::string onDisk() { return readAll(dir.file("Scripts.dat")); }
    Texts history() {
        Texts out;
        for (const RunLogEntry& e : RunLogFile::readAll(dir.path())) out.push_back(e.what);
        return out;
    }
    static TaskRecord named(const std::string& name) { return {.Name = FixedText<20>(name)}; }
};

TEST_F(SessionTest, APendingNewTaskIsNotWrittenUntilCommittedAndCancelTakesItAwayAndNothingElse) {
    tasks(0);
    EXPECT_EQ(s->newTask(0), 1);
    s->toggleOption(Session::Option::MinimizeOnStartup); // a change that saves meanwhile
    EXPECT_EQ(onDisk(), "");
    s->commit(1, named("Fresh"));
    EXPECT_FALSE(s->newTaskPending());
    EXPECT_NE(onDisk().find("Fresh"), std::string::npos);
    s->newTask(0);
    s->remove(2); // the new task deleted from the list meanwhile
    s->remove(1);
    EXPECT_FALSE(s->cancel());
    tasks(2);
    s->newTask(1);
    s->storeFields(3, named("typed"));
    EXPECT_TRUE(s->cancel());
    EXPECT_EQ(s->general().slot(3), s->general().slot(General::kBlankSlot));
    EXPECT_EQ(s->rowBeforeNew(), 1);
    EXPECT_FALSE(s->cancel()); // editing an existing task: nothing goes
    EXPECT_EQ(s->general().TaskCount, 2);
    tasks(General::kMaxTasks);
    EXPECT_EQ(s->newTask(0), 0) << "a full list takes no new task";
    EXPECT_FALSE(s->newTaskPending());
}

TEST_F(SessionTest, CommitTakesEveryFieldOfTheEditorAndKeepsTheRunTimeState) {
    tasks(1);
    TaskRecord& slot = s->general().slot(1);
    slot.Running = 1;
    slot.ProcessId = 42;
    TaskRecord fields; // a value of its own in every field
    parseTaskLine("Renamed~c~1~2~3~4~5~6~7~8~9~10~11~s.wdx", fields);
    TaskRecord expected = fields;
    expected.Running = 1;
    expected.ProcessId = 42;
    s->storeFields(0, fields); // no task: nothing
    s->commit(1, fields);
    EXPECT_EQ(slot, expected);
}

TEST_F(SessionTest, AFailedSaveIsReportedOnceUntilASaveSucceedsAndTheUnloadFallsBack) {
    const std::string folder = dir.file("gone");
    tasks(0, folder);
    s->setFallbackFolder(dir.file("fallback"));
    s->toggleOption(Session::Option::MinimizeOnStartup);
    s->toggleOption(Session::Option::MinimizeOnStartup);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("Wendrel could not save the change:\n\n", 0), 0u);
    std::filesystem::create_directory(folder);
    s->toggleOption(Session::Option::MinimizeOnStartup);
    EXPECT_EQ(failures.size(), 1u);
    std::filesystem::remove_all(folder);
    s->newTask(0);
    s->commit(1, named("Kept"));
    EXPECT_EQ(failures.size(), 2u);
    s->unload();
    Texts kept;
    for (const auto& e : std::filesystem::directory_iterator(dir.file("fallback")))
        if (e.path().filename().string().starts_with("Scripts-") && e.path().extension() == ".dat")
            kept.push_back(readAll(e.path().string()));
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].rfind("Kept", 0), 0u);
    EXPECT_EQ(failures.size(), 2u) << "the unload reports nothing";
}

TEST_F(SessionTest, RemoveAndMoveAskAndOnlyYesGoesOn) {
    tasks(5);
    s->general().slot(1).Name = "Big backup";
    messages.answers = {MsgAnswer::No, MsgAnswer::No};
    EXPECT_FALSE(s->remove(0)) << "no row selected";
    EXPECT_FALSE(s->remove(1));
    EXPECT_FALSE(s->move({3, 3}));
    EXPECT_FALSE(s->move({2, 4}));
    ASSERT_EQ(messages.shown.size(), 2u) << "a move that changes no order asks nothing";
    EXPECT_EQ(messages.shown[0].text, "Are you sure you wish to delete Big backup?");
    EXPECT_EQ(messages.shown[0].caption, "Delete Task");
    EXPECT_EQ(messages.shown[1].text, "Are you sure you wish to move row 2 to row 4?");
    EXPECT_EQ(messages.shown[1].caption, "Altering task order");
    EXPECT_TRUE(s->move({2, 4}));
    EXPECT_EQ(s->general().slot(4).Name.trimmed(), "T2");
    const std::string dat = onDisk();
    EXPECT_LT(dat.find("T4"), dat.find("T2"));
    EXPECT_TRUE(s->remove(1));
    EXPECT_EQ(onDisk().find("T1 "), std::string::npos);
}

TEST_F(SessionTest, ToggleActiveAndOptionsSaveAtOnceButNotAfterTheUnload) {
    tasks(1);
    s->ToggleActive(1);
    EXPECT_NE(onDisk().find("~0~ "), std::string::npos) << "Active saved as 0";
    for (auto o :
         {Session::Option::MinimizeOnStartup, Session::Option::MinimizeToTray, Session::Option::RunMissedTasks}) {
        EXPECT_TRUE(s->toggleOption(o));
        EXPECT_TRUE(s->option(o));
    }
    s->setScriptFile(1, "first.wdx");
    EXPECT_EQ(s->general().slot(1).ScriptFile.trimmed(), "first.wdx");
    s->setScriptFile(0, "none.wdx"); // no task: nothing
    s->setActive(0, true);
    s->unload();
    EXPECT_TRUE(std::filesystem::exists(dir.file("Scripts.state"))) << "the last starts are kept";
    writeAll(dir.file("Scripts.dat"), "x");
    s->ToggleActive(1);
    EXPECT_EQ(onDisk(), "x") << "nothing is saved after the unload";
}

TEST_F(SessionTest, RunNowStartsATaskAndSaysWhyARunningOneIsNot) {
    tasks(1);
    s->general().slot(1).Running = 1;
    EXPECT_EQ(s->runNow(1).refusal, "Task T1 has not finished its last run: not started again.");
    EXPECT_EQ(s->mayRunNow(1).refusal, s->runNow(1).refusal) << "asked beforehand";
    EXPECT_FALSE(s->runNow(0).started) << "no task selected";
    EXPECT_EQ(s->mayRunNow(0).refusal, "") << "no task selected";
    s->general().slot(1).Running = 0;
    EXPECT_TRUE(s->runNow(1).started);
    EXPECT_TRUE(notices.empty()) << "a task without a script names no refused file";
}

// The column right of the hairline (5, the view rules' own case) edits.
TEST(ListRules, ADoubleClickTogglesActiveOnItsColumnShowsTheHistoryOnTheLastRunsAndEditsElsewhere) {
    EXPECT_EQ(doubleClickAction(4), DoubleClickAction::ToggleActive);
    EXPECT_EQ(doubleClickAction(6), DoubleClickAction::Edit);
    EXPECT_EQ(doubleClickAction(7), DoubleClickAction::ShowHistory);
}

TEST_F(SessionTest, TheLastRunFollowsTheRunsEvents) {
    const auto before = daily("EXEC p\r\nWAIT 1\r\n");
    EXPECT_EQ(before.lastOutcome, Outcome::None);
    EXPECT_EQ(before.nextStart, (DateTime{2026, 12, 7, 9, 0}));
    EXPECT_EQ(run().lastOutcome, Outcome::Succeeded);
    std::optional<Session::TaskStatus> during;
    pump.onPass = [&] { during = s->status(1); };
    const DateTime began = clock.wall;
    run();
    ASSERT_TRUE(during);
    EXPECT_EQ(during->lastOutcome, Outcome::Running); // shown only while running
    EXPECT_EQ(during->lastStart, began);
    EXPECT_EQ(s->status(0).lastOutcome, Outcome::None) << "no task";
}

// The next tick writes a changed outcome; a task that runs every few seconds
// has it written only when it turns.
TEST_F(SessionTest, AnOtherTasksOutcomeIsWrittenWhenItTurns) {
    daily("EXEC p\r\n", "5~0~0~0~0~0~0~0~0~1"); // every second
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

TEST_F(SessionTest, AFailureNamesItselfLastsTillTheNextRunAndOutlivesARestart) {
    daily("EXEC nowhere\r\n");
    launcher.fail = true;
    const auto failed = run();
    EXPECT_EQ(failed.lastFailure, "program not found: nowhere");
    const auto reopened = daily();
    EXPECT_EQ(reopened.lastFailure, failed.lastFailure);
    EXPECT_EQ(reopened.lastStart, failed.lastStart);
    launcher.fail = false;
    run();
    EXPECT_EQ(daily().lastOutcome, Outcome::Succeeded);
    EXPECT_EQ(daily().lastOutcome, Outcome::Succeeded) << "written again as read";
    s->unload();
    std::string state = readAll(dir.file(file_names::kStateFile));
    writeAll(dir.file(file_names::kStateFile), state.replace(state.find(" S\r\n"), 2, " X"));
    EXPECT_EQ(daily().lastOutcome, Outcome::None) << "a damaged line is passed over";
    std::remove(dir.file("s.wdx").c_str());
    const auto missing = run();
    EXPECT_EQ(missing.lastFailure, "script missing");
    EXPECT_EQ(missing.lastOutcome, Outcome::Failed) << "a missing script has ended its run";
}

// A wait that the program's end cuts short: the program still runs, the
// script did not finish, and the run counts as failed.
TEST_F(SessionTest, AWaitEndedByTheProgramsEndSaysSoAndIsNoFinish) {
    daily("RUN editor,1\r\nMSG never\r\n");
    launcher.runsFor[100] = 1 << 30;
    activator.windowsLeft[100] = 1 << 30;
    pump.onPass = [&] {
        if (pump.passes != 50) return;
        s->requestStop();
        s->unload();
    };
    run();
    pump.onPass = nullptr;
    EXPECT_EQ(history(), (Texts{"started", "program started: editor (pid 100)", "waiting for pid 100 to end",
                                "pid 100 still running when the wait ended", "stopped at exit"}));
    EXPECT_EQ(daily().lastOutcome, Outcome::Failed);
}

// A task whose script went missing (each start shows a box) is passed over
// by the tick until the user saves it or its file is back.
TEST_F(SessionTest, ATaskWhoseScriptWentMissingComesBackWhenSavedOrItsFileIsThere) {
    daily({}, "5~0~0~0~0~0~0~0~0~1"); // every second; no s.wdx
    const auto boxesAfterATick = [this] {
        clock.advance(1);
        s->tick();
        return messages.shown.size();
    };
    EXPECT_EQ(boxesAfterATick(), 1u);
    EXPECT_EQ(boxesAfterATick(), 1u) << "passed over while missing";
    s->commit(1, s->general().slot(1));
    EXPECT_EQ(boxesAfterATick(), 2u) << "saved";
    writeAll(dir.file("s.wdx"), "\r\n");
    boxesAfterATick();
    EXPECT_EQ(s->status(1).lastOutcome, Outcome::Succeeded) << "its file back";
}

// A folder in the history's place, then a full disk (a file size limit).
// Notices also go to stderr, for the journal.
TEST_F(SessionTest, LostEventsAreToldAndCountedInTheNextLineWritten) {
    ::testing::internal::CaptureStderr();
    daily("\r\n");
    const std::string log = dir.file(file_names::kLogFile);
    std::filesystem::create_directory(log);
    run();
    run();
    std::filesystem::remove(log);
    run();
    EXPECT_EQ(history(), (Texts{"the history could not be written; events lost: 4", "started", "finished"}));
    rlimit was{};
    ::getrlimit(RLIMIT_FSIZE, &was);
    const rlimit full{std::filesystem::file_size(log), was.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &full);
    run();
    ::setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(notices.size(), 2u) << "one for the folder, one for the full disk";
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Wendrel: " + notices.at(0)), std::string::npos);
}

} // namespace
