// Failure notices: what a failed run tells, and that a task that keeps
// failing the same way is told once, until one of its runs succeeds.
#include <gtest/gtest.h>

#include <vector>

#include "session/FailureNotices.h"

using namespace wendrel;

namespace {

struct Notifier : FailureNotifier {
    std::vector<FailureNotice> told;
    void notify(const FailureNotice& n) override { told.push_back(n); }
};

struct FailureNoticesTest : ::testing::Test {
    Notifier notifier;
    FailureNotices notices{notifier};

    void event(const std::string& task, RunEventKind kind, const std::string& command = {},
               std::optional<double> pid = {}, std::optional<ProgramExit> exit = {}) {
        notices.onRunEvent(RunEvent{{}, kind, task, task + ".wdx", command, pid, exit});
    }
    // A whole run: started, then (when given) one failure, then finished.
    void run(const std::string& task, std::optional<RunEventKind> failure = {}) {
        event(task, RunEventKind::Started);
        if (failure) event(task, *failure, "prog");
        event(task, RunEventKind::Finished);
    }
    // A run whose waited program ends with this status.
    const std::string& bodyOfWaited(ProgramExit exit, const std::string& command = "sh -c 'exit 3'") {
        event("W", RunEventKind::Started);
        event("W", RunEventKind::ProgramStarted, command, 42);
        event("W", RunEventKind::WaitBegun, {}, 42);
        event("W", RunEventKind::WaitEnded, {}, 42, exit);
        event("W", RunEventKind::Finished);
        static const std::string none = "(none)";
        return notifier.told.empty() ? none : notifier.told.back().body;
    }
};

TEST_F(FailureNoticesTest, AFailureIsToldOnceUntilARunOfTheTaskSucceeds) {
    run("Backup", RunEventKind::ProgramNotFound);
    ASSERT_EQ(notifier.told.size(), 1u);
    EXPECT_EQ(notifier.told[0].task, "Backup");
    EXPECT_EQ(notifier.told[0].summary, "Task \"Backup\" failed");
    EXPECT_EQ(notifier.told[0].body, "Could not start: prog");

    run("Backup", RunEventKind::ProgramNotFound);
    EXPECT_EQ(notifier.told.size(), 1u) << "a repeat is not told";
    run("Backup", RunEventKind::KeysNotTyped);
    run("Backup", RunEventKind::KeysNotTyped);
    EXPECT_EQ(notifier.told.size(), 2u) << "a new kind is told, once";

    run("Backup");
    run("Backup", RunEventKind::ProgramNotFound);
    EXPECT_EQ(notifier.told.size(), 3u) << "a run without failure re-arms";
}

TEST_F(FailureNoticesTest, TasksAreToldApartAndARunWithAFailureDoesNotReArm) {
    event("A", RunEventKind::Started);
    event("A", RunEventKind::ScriptMissing); // such a run never finishes
    event("B", RunEventKind::Started);
    event("B", RunEventKind::ScriptMissing);
    ASSERT_EQ(notifier.told.size(), 2u);
    EXPECT_EQ(notifier.told[1].summary, "Task \"B\" failed");
    EXPECT_EQ(notifier.told[1].body, "Its script file \"B.wdx\" does not exist.");

    // A's next run starts a program that is not found, then finishes: its
    // failed run leaves the missing script told.
    run("A", RunEventKind::ProgramNotFound);
    event("A", RunEventKind::Started);
    event("A", RunEventKind::ScriptMissing);
    EXPECT_EQ(notifier.told.size(), 3u);

    run("C", RunEventKind::ScriptUnreadable);
    EXPECT_EQ(notifier.told.back().body, "Its script file \"C.wdx\" could not be read.");
    EXPECT_EQ(notifier.told.back().task, "C");
    run("D", RunEventKind::KeysNotTyped);
    EXPECT_EQ(notifier.told.back().body, "Could not type: prog");
}

TEST_F(FailureNoticesTest, AWaitedProgramThatFailsIsNamedByItsCommandLine) {
    EXPECT_EQ(bodyOfWaited({0, 0}), "(none)") << "exit status 0 is no failure";
    EXPECT_EQ(bodyOfWaited({3, 0}), "sh -c 'exit 3' ended with exit status 3.");
    run("W"); // re-arms
    EXPECT_EQ(bodyOfWaited({0, 9}, "xterm"), "xterm was ended by signal 9 (Killed).");

    // A long command line is cut, never inside a character.
    run("W");
    EXPECT_EQ(bodyOfWaited({1, 0}, std::string(300, 'x')), std::string(200, 'x') + "... ended with exit status 1.");
    run("W");
    EXPECT_EQ(bodyOfWaited({1, 0}, std::string(200, 'x')), std::string(200, 'x') + " ended with exit status 1.");
    run("W");
    const std::string body = bodyOfWaited({1, 0}, std::string(199, 'x') + "\xC3\xA9" + std::string(100, 'y'));
    EXPECT_EQ(body, std::string(199, 'x') + "... ended with exit status 1.");

    // A program the task did not start last cannot be named.
    run("W");
    event("W", RunEventKind::Started);
    event("W", RunEventKind::WaitEnded, {}, 7, ProgramExit{2, 0});
    EXPECT_EQ(notifier.told.back().body, "A waited program ended with exit status 2.");
}

} // namespace
