// The session: when the task list is written (a task that New added only
// once the editor commits it), how failed saves are reported, where the
// unload puts the list when the folder cannot take it, and the questions
// asked before a task is deleted or moved; and the list's small rules the
// windows follow.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "session/Session.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

namespace {

struct SessionTest : ::testing::Test, FakeDesktop {
    TempFolder dir;
    std::vector<std::string> failures; // texts of the reported save failures

    // A session on folder (by default the temporary one) with tasks T1..Tcount.
    std::unique_ptr<Session> open(int count, const std::string& folder = {}) {
        std::string lines;
        for (int i = 1; i <= count; ++i) lines += "T" + std::to_string(i) + "~~0~0~0~0~0~0~0~0~0~0~1~\r\n";
        writeAll(dir.file("Scripts.dat"), lines);
        auto s = std::make_unique<Session>(folder.empty() ? dir.path() : folder, services());
        s->setSaveFailureHandler([this](const std::string& text) { failures.push_back(text); });
        s->load();
        return s;
    }
    std::size_t linesOnDisk() {
        const std::string dat = readAll(dir.file("Scripts.dat"));
        return static_cast<std::size_t>(std::count(dat.begin(), dat.end(), '\n'));
    }
    static TaskRecord named(const std::string& name) {
        TaskRecord r;
        r.Name = name;
        return r;
    }
};

TEST_F(SessionTest, APendingNewTaskIsNotWrittenUntilCommitted) {
    auto s = open(0);
    EXPECT_EQ(s->general().intervalName(Daily), "Daily") << "captions for the views";
    const int n = s->newTask(0);
    EXPECT_EQ(n, 1);
    s->toggleOption(Session::Option::MinimizeOnStartup); // a change that saves meanwhile
    EXPECT_EQ(linesOnDisk(), 0u);
    s->commit(n, named("Fresh"));
    EXPECT_FALSE(s->newTaskPending());
    EXPECT_NE(readAll(dir.file("Scripts.dat")).find("Fresh"), std::string::npos);
}

TEST_F(SessionTest, CancelTakesThePendingTaskAwayAndNothingElse) {
    auto s = open(2);
    s->newTask(1);
    s->storeFields(3, named("typed"));
    EXPECT_TRUE(s->cancel());
    EXPECT_EQ(s->general().TaskCount, 2);
    EXPECT_EQ(s->general().slot(3), s->general().slot(General::kBlankSlot));
    EXPECT_EQ(s->rowBeforeNew(), 1);
    EXPECT_FALSE(s->cancel()); // editing an existing task: nothing goes
    EXPECT_EQ(s->general().TaskCount, 2);
    auto emptied = open(0); // the new task deleted from the list meanwhile
    emptied->newTask(0);
    emptied->remove(1);
    EXPECT_FALSE(emptied->cancel());
}

TEST_F(SessionTest, AFullListTakesNoNewTask) {
    auto s = open(General::kMaxTasks);
    EXPECT_EQ(s->newTask(0), 0);
    EXPECT_FALSE(s->newTaskPending());
}

TEST_F(SessionTest, CommitTakesEveryFieldOfTheEditorAndKeepsTheRunTimeState) {
    auto s = open(1);
    TaskRecord& slot = s->general().slot(1);
    slot.Running = 1;
    slot.ProcessId = 42;
    TaskRecord fields = named("Renamed");
    fields.Comment = "c";
    fields.ScriptFile = "s.wdx";
    std::int16_t value = 1;
    for (std::int16_t* f :
         {&fields.Interval, &fields.DateDay, &fields.DateMonth, &fields.TimeHour, &fields.TimeMinute,
          &fields.DayofMonth, &fields.DayofWeek, &fields.MinsPastHour, &fields.Other, &fields.MSOption, &fields.Active})
        *f = value++;
    TaskRecord expected = fields;
    expected.Running = 1;
    expected.ProcessId = 42;
    s->commit(1, fields);
    EXPECT_EQ(slot, expected);
}

TEST_F(SessionTest, AFailedSaveIsReportedOnceUntilASaveSucceeds) {
    const std::string folder = dir.file("gone");
    auto s = open(0, folder);
    s->toggleOption(Session::Option::MinimizeOnStartup);
    s->toggleOption(Session::Option::MinimizeOnStartup);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("Wendrel could not save the change:\n\n", 0), 0u);
    std::filesystem::create_directory(folder);
    s->toggleOption(Session::Option::MinimizeOnStartup);
    EXPECT_EQ(failures.size(), 1u);
    std::filesystem::remove_all(folder);
    s->toggleOption(Session::Option::MinimizeOnStartup);
    EXPECT_EQ(failures.size(), 2u);
}

TEST_F(SessionTest, UnloadPutsTheListIntoTheFallbackFolderWhenItsOwnCannotTakeIt) {
    auto s = open(0, dir.file("gone"));
    s->setFallbackFolder(dir.file("fallback"));
    s->newTask(0);
    s->commit(1, named("Kept"));
    s->unload();
    std::vector<std::string> kept;
    for (const auto& e : std::filesystem::directory_iterator(dir.file("fallback")))
        if (e.path().filename().string().starts_with("Scripts-") && e.path().extension() == ".dat")
            kept.push_back(readAll(e.path().string()));
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].rfind("Kept", 0), 0u);
    EXPECT_TRUE(failures.size() == 1u); // the commit's; the unload reports nothing
}

TEST_F(SessionTest, NothingIsSavedAfterTheUnload) {
    auto s = open(1);
    s->unload();
    EXPECT_TRUE(std::filesystem::exists(dir.file("Scripts.state"))) << "the last starts are kept";
    writeAll(dir.file("Scripts.dat"), "x");
    s->ToggleActive(1);
    EXPECT_EQ(readAll(dir.file("Scripts.dat")), "x");
}

TEST_F(SessionTest, RemoveAsksByNameAndOnlyYesRemoves) {
    auto s = open(3);
    s->general().slot(1).Name = "Big backup";
    messages.answers = {MsgAnswer::No};
    EXPECT_FALSE(s->remove(0)) << "no row selected";
    EXPECT_FALSE(s->remove(1));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Are you sure you wish to delete Big backup?");
    EXPECT_EQ(messages.shown[0].caption, "Delete Task");
    EXPECT_EQ(s->general().TaskCount, 3);
    EXPECT_TRUE(s->remove(1));
    EXPECT_EQ(linesOnDisk(), 2u);
}

TEST_F(SessionTest, MoveAsksOnlyWhenTheOrderChanges) {
    auto s = open(5);
    EXPECT_FALSE(s->move({3, 3}));
    EXPECT_TRUE(messages.shown.empty());
    messages.answers = {MsgAnswer::No};
    EXPECT_FALSE(s->move({2, 4}));
    EXPECT_EQ(messages.shown.at(0).text, "Are you sure you wish to move row 2 to row 4?");
    EXPECT_EQ(messages.shown.at(0).caption, "Altering task order");
    EXPECT_TRUE(s->move({2, 4}));
    EXPECT_EQ(s->general().slot(4).Name.trimmed(), "T2");
    const std::string dat = readAll(dir.file("Scripts.dat"));
    EXPECT_LT(dat.find("T4"), dat.find("T2"));
}

TEST_F(SessionTest, ToggleActiveAndOptionsSaveAtOnce) {
    auto s = open(1);
    s->ToggleActive(1);
    EXPECT_NE(readAll(dir.file("Scripts.dat")).find("~0~ "), std::string::npos) << "Active saved as 0";
    for (auto o :
         {Session::Option::MinimizeOnStartup, Session::Option::MinimizeToTray, Session::Option::RunMissedTasks}) {
        EXPECT_TRUE(s->toggleOption(o));
        EXPECT_TRUE(s->option(o));
    }
    s->setScriptFile(1, "first.wdx");
    EXPECT_EQ(s->general().slot(1).ScriptFile.trimmed(), "first.wdx");
}

TEST_F(SessionTest, RunNowAndTheTickStartTasksAndSayWhyARunningOneIsNot) {
    auto s = open(1);
    s->general().slot(1).Running = 1;
    EXPECT_EQ(s->runNow(1).refusal, "Task T1 has not finished its last run: not started again.");
    EXPECT_FALSE(s->runNow(0).started) << "no task selected";
    std::vector<std::string> notices;
    s->setNoticeHandler([&](const std::string& text) { notices.push_back(text); });
    s->general().slot(1).Running = 0;
    EXPECT_TRUE(s->runNow(1).started);
    EXPECT_TRUE(notices.empty()) << "a task without a script names no refused file";
    s->general().slot(1).Interval = OtherInterval;
    s->tick();
    EXPECT_TRUE(s->general().slot(1).LastStartUtc.has_value()) << "the tick starts a due task";
}

TEST(ListRules, ADoubleClickTogglesOnTheActiveColumnAndRightOfIt) {
    EXPECT_EQ(doubleClickAction(3), DoubleClickAction::Edit);
    EXPECT_EQ(doubleClickAction(4), DoubleClickAction::ToggleActive);
}

} // namespace
