// The files of the runs: the history (Wendrel.log and its rotation) and the
// tasks' last starts (Scripts.state).
#include <gtest/gtest.h>

#include <filesystem>

#include "model/General.h"
#include "store/FileNames.h"
#include "store/RunLogFile.h"
#include "store/RunState.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;

namespace {
RunEvent event(const std::string& task, RunEventKind kind = RunEventKind::Started) {
    return RunEvent{{2026, 12, 7, 9, 30, 5}, kind, task, "s.wdx", {}, {}, {}};
}
} // namespace

TEST(RunLogFile, EachEventStaysOneLineOfFourFields) {
    RunEvent e = event("Tab\there\r\nand line", RunEventKind::ProgramStarted);
    e.command = "y" + std::string(599, 'x') + "\xc3\xa9";
    e.pid = 7;
    const std::string line = formatRunEvent(e);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const auto back = parseRunLogLine(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->task, "Tab here  and line");
    EXPECT_EQ(back->what, "program started: y" + std::string(499, 'x') + "... (pid 7)");
    e.command = std::string(500, 'x');
    EXPECT_EQ(parseRunLogLine(formatRunEvent(e))->what, "program started: " + e.command + " (pid 7)");
    RunEvent noScript = event("T");
    noScript.script.clear();
    EXPECT_TRUE(parseRunLogLine(formatRunEvent(noScript))) << "a task without a script";
    EXPECT_FALSE(parseRunLogLine("not an event"));
    EXPECT_FALSE(parseRunLogLine("2026-12-07 09:30:05\ttorn"));
}

TEST(RunLogFile, RotationKeepsOneOldFile) {
    TempFolder dir;
    const std::size_t lineBytes = formatRunEvent(event("T00")).size() + 1;
    RunLogFile log(dir.path(), lineBytes * 10);
    for (int i = 0; i < 25; ++i) log.add(event("T" + std::string(i < 10 ? "0" : "") + std::to_string(i)));
    // 25 lines, 10 to a file: the first 10 are gone, 10 are in the old file.
    EXPECT_EQ(readAll(dir.file(file_names::kLogFile)).size(), lineBytes * 5);
    EXPECT_EQ(readAll(dir.file(file_names::kOldLogFile)).size(), lineBytes * 10);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Wendrel.log.2")));
    EXPECT_EQ(std::filesystem::status(dir.file(file_names::kLogFile)).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const auto all = RunLogFile::readAll(dir.path());
    ASSERT_EQ(all.size(), 15u);
    EXPECT_EQ(all.front().task, "T10");
    EXPECT_EQ(all.back().task, "T24");
}

TEST(RunLogFile, AnEmptyHistoryIsNotRotatedAwayByALongEvent) {
    TempFolder dir;
    writeAll(dir.file("Wendrel.log.1"), "older events\n");
    writeAll(dir.file("Wendrel.log"), "");
    RunLogFile(dir.path(), 10).add(event("T"));
    EXPECT_EQ(readAll(dir.file("Wendrel.log.1")), "older events\n");
}

// Two equal Daily tasks: the keys tell them apart by their place. Keys as
// earlier versions wrote them (an offset basis one digit short) still give
// the tasks their last starts; the next save writes the right keys only.
TEST(RunStateFile, KeysOfEarlierVersionsAreReadAndOnlyTheRightOnesWritten) {
    TempFolder dir;
    const std::string path = dir.file(file_names::kStateFile);
    General g;
    for (int n : {g.append(), g.append()}) {
        TaskRecord& t = g.slot(n);
        t.Name = "Backup";
        t.ScriptFile = "backup.wdx";
        t.Interval = 1;
        t.TimeHour = 2;
        t.TimeMinute = 30;
    }
    writeAll(path, "alive 100\r\ntask 80602159b68df9f7-1 5000\r\ntask 80602159b68df9f7-2 6000\r\n");
    std::string problem;
    EXPECT_EQ(run_state::load(path, g, problem), 100);
    EXPECT_EQ(g.slot(1).LastStartUtc, 5000);
    EXPECT_EQ(g.slot(2).LastStartUtc, 6000);
    EXPECT_EQ(run_state::save(path, g, 200), "");
    EXPECT_EQ(readAll(path), "alive 200\r\ntask c224ba697a7e50ad-1 5000\r\ntask c224ba697a7e50ad-2 6000\r\n");
}
