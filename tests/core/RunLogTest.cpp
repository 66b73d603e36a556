// The run history: what a script's run records in Wendrel.log, the rotation
// of the file, reading it back; and running a task by hand.
#include <gtest/gtest.h>

#include "scheduler/Scheduler.h"
#include "script/RunLog.h"
#include "script/ScriptEngine.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

namespace {
struct Rig : FakeDesktop {
    TempFolder dir;
    General g;
    RunLogFile log{dir.path()};
    ScriptEngine engine{g, dir.path(), environment()};
    Scheduler scheduler{g, clock, [this](int i) { engine.RunScript(i); }};

    // Task 1, "Backup", runs its script from a file with these bytes (none:
    // the file is missing).
    Rig(const char* script) {
        engine.setRunLog(&log);
        g.slot(g.append()).Name = "Backup";
        g.slot(1).ScriptFile = "b.wdx";
        if (script) writeAll(dir.file("b.wdx"), script);
    }
    // The event texts of the history, oldest first.
    std::vector<std::string> events() {
        std::vector<std::string> out;
        for (const RunLogEntry& e : RunLogFile::readAll(dir.path())) out.push_back(e.what);
        return out;
    }
};

RunEvent event(const std::string& task, RunEventKind kind = RunEventKind::Started) {
    return RunEvent{{2026, 12, 7, 9, 30, 5}, kind, task, "s.wdx", {}, {}, {}};
}
} // namespace

TEST(RunLog, ARunRecordsItsProgramsWaitsAndOutcome) {
    using Events = std::vector<std::string>;
    const struct {
        const char* script; // none: the file is missing
        bool programsFail;
        Events events;
    } cases[] = {{"EXEC editor notes.txt\r\nRUN backup --all,1\r\n",
                  false,
                  {"started", "program started: editor notes.txt (pid 100)", "program started: backup --all (pid 101)",
                   "waiting for pid 101 to end", "pid 101 ended, exit status unknown", "finished"}},
                 {nullptr, false, {"started", "script missing"}},
                 {"EXEC no-such-program\r\n", true, {"started", "program not found: no-such-program", "finished"}}};
    for (const auto& c : cases) {
        Rig r(c.script);
        r.launcher.fail = c.programsFail;
        r.scheduler.RunNow(1);
        EXPECT_EQ(r.events(), c.events);
        EXPECT_EQ(RunLogFile::readAll(r.dir.path()).front(),
                  (RunLogEntry{"2026-12-06 09:30:00", "Backup", "b.wdx", "started"}));
    }
}

TEST(RunLog, EachEventStaysOneLineOfFourFields) {
    RunEvent e = event("Tab\there\r\nand line", RunEventKind::ProgramStarted);
    e.command = std::string(600, 'x') + "\xc3\xa9";
    e.pid = 7;
    const std::string line = formatRunEvent(e);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const auto back = parseRunLogLine(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->task, "Tab here  and line");
    EXPECT_EQ(back->what, "program started: " + std::string(500, 'x') + "... (pid 7)");
    EXPECT_FALSE(parseRunLogLine("not an event"));
    EXPECT_FALSE(parseRunLogLine("2026-12-07 09:30:05\ttorn"));
}

TEST(RunLog, RotationKeepsOneOldFile) {
    TempFolder dir;
    const std::size_t lineBytes = formatRunEvent(event("T00")).size() + 1;
    RunLogFile log(dir.path(), lineBytes * 10);
    for (int i = 0; i < 25; ++i) log.add(event("T" + std::string(i < 10 ? "0" : "") + std::to_string(i)));
    // 25 lines, 10 to a file: the first 10 are gone, 10 are in the old file.
    EXPECT_EQ(readAll(dir.file("Wendrel.log")).size(), lineBytes * 5);
    EXPECT_EQ(readAll(dir.file("Wendrel.log.1")).size(), lineBytes * 10);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Wendrel.log.2")));
    const auto all = RunLogFile::readAll(dir.path());
    ASSERT_EQ(all.size(), 15u);
    EXPECT_EQ(all.front().task, "T10");
    EXPECT_EQ(all.back().task, "T24");
}

TEST(RunNow, StartsOnceAndNotAgainWhileItsScriptRuns) {
    Rig r("EXEC prog\r\nWAIT 3\r\n");
    int refused = 0;
    r.pump.onPass = [&] { refused += r.scheduler.RunNow(1) ? 0 : 1; };
    EXPECT_TRUE(r.scheduler.RunNow(1));
    EXPECT_GT(refused, 0);
    EXPECT_EQ(r.launcher.started.size(), 1u);
    EXPECT_EQ(r.g.slot(1).Running, 0);
    // Active and the interval do not matter; an empty slot runs nothing.
    r.g.slot(1).Active = 0;
    r.pump.onPass = nullptr;
    EXPECT_TRUE(r.scheduler.RunNow(1));
    EXPECT_EQ(r.launcher.started.size(), 2u);
    EXPECT_FALSE(r.scheduler.RunNow(2));
}
