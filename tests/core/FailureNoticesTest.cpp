// Failure notices: what a failed run tells, and that a task that keeps
// failing the same way is told once, until one of its runs succeeds.
#include <gtest/gtest.h>

#include "session/FailureNotices.h"

using namespace wendrel;

namespace {

struct FailureNoticesTest : ::testing::Test, FailureNotifier {
    std::vector<FailureNotice> told;
    FailureNotices notices{*this};
    void notify(const FailureNotice& n) override { told.push_back(n); }

    void event(const std::string& task, RunEventKind kind, const std::string& command = "prog",
               std::optional<double> pid = {}, std::optional<ProgramExit> exit = {}) {
        notices.onRunEvent(RunEvent{{}, kind, task, task + ".wdx", command, pid, exit});
    }
    // One run of task: started, with one failure (when given), finished.
    void run(const std::string& task, std::optional<RunEventKind> failure = {}) {
        event(task, RunEventKind::Started);
        if (failure) event(task, *failure);
        event(task, RunEventKind::Finished);
    }
    // The body told of a run whose waited program ends so; after a run that re-arms.
    std::string waited(ProgramExit exit, const std::string& command = "sh -c 'exit 3'") {
        run("W");
        const std::size_t before = told.size();
        event("W", RunEventKind::Started);
        event("W", RunEventKind::ProgramStarted, command, 42);
        event("W", RunEventKind::WaitEnded, {}, 42, exit);
        return told.size() > before ? told.back().body : "(none)";
    }
};

TEST_F(FailureNoticesTest, AFailureIsToldOncePerTaskAndKindUntilARunSucceeds) {
    run("A", RunEventKind::ProgramNotFound);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].task, "A");
    EXPECT_EQ(told[0].summary, "Task \"A\" failed");
    EXPECT_EQ(told[0].body, "Could not start: prog");

    run("A", RunEventKind::ProgramNotFound);
    EXPECT_EQ(told.size(), 1u) << "a repeat is told";
    run("B", RunEventKind::ProgramNotFound);
    EXPECT_EQ(told.size(), 2u) << "another task's failure is not told";
    event("A", RunEventKind::Started);
    event("A", RunEventKind::ScriptMissing); // such a run never finishes
    EXPECT_EQ(told.size(), 3u) << "another kind is not told";
    run("A", RunEventKind::KeysNotTyped);
    event("A", RunEventKind::Started);
    event("A", RunEventKind::ScriptMissing);
    EXPECT_EQ(told.size(), 4u) << "a run with a failure re-armed";
    run("A");
    run("A", RunEventKind::ProgramNotFound);
    EXPECT_EQ(told.size(), 5u) << "a run without failure did not re-arm";
}

TEST_F(FailureNoticesTest, WhatFailedIsSaid) {
    run("M", RunEventKind::ScriptMissing);
    EXPECT_EQ(told.back().body, "Its script file \"M.wdx\" does not exist.");
    run("U", RunEventKind::ScriptUnreadable);
    EXPECT_EQ(told.back().body, "Its script file \"U.wdx\" could not be read.");
    run("K", RunEventKind::KeysNotTyped);
    EXPECT_EQ(told.back().body, "Could not type: prog");

    EXPECT_EQ(waited({0, 0}), "(none)");
    EXPECT_EQ(waited({3, 0}), "sh -c 'exit 3' ended with exit status 3.");
    EXPECT_EQ(waited({0, 9}, "xterm"), "xterm was ended by signal 9 (Killed).");
    // A long command line is cut, never inside a character.
    EXPECT_EQ(waited({1, 0}, std::string(200, 'x')), std::string(200, 'x') + " ended with exit status 1.");
    EXPECT_EQ(waited({1, 0}, std::string(300, 'x')), std::string(200, 'x') + "... ended with exit status 1.");
    EXPECT_EQ(waited({1, 0}, std::string(199, 'x') + "\xC3\xA9" + "yy"),
              std::string(199, 'x') + "... ended with exit status 1.");

    // A program the task did not start last cannot be named.
    run("W");
    event("W", RunEventKind::Started);
    event("W", RunEventKind::WaitEnded, {}, 7, ProgramExit{2, 0});
    EXPECT_EQ(told.back().body, "A waited program ended with exit status 2.");
}

} // namespace
