// How a view reads the run history: from the end, only what it keeps, and
// on a refresh only what was appended.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "store/RunLogFile.h"
#include "store/FileNames.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;
using Texts = std::vector<std::string>;

namespace {
// Events told apart by their command line.
RunEvent numbered(int n, const std::string& task = "T") {
    return {{2026, 12, 7, 9, 30, 0}, RunEventKind::ProgramNotFound, task, "s.wdx", std::to_string(n), {}, {}};
}
Texts founds(int from, int to, int step = 1) {
    Texts out;
    for (int n = from; n < to; n += step) out.push_back("program not found: " + std::to_string(n));
    return out;
}
std::string lineOf(int n, const std::string& task = "T") { return formatRunEvent(numbered(n, task)) + "\n"; }
// Lines of tasks A (even numbers) and B (odd ones).
std::string lines(int from, int to) {
    std::string text;
    for (int n = from; n < to; ++n) text += lineOf(n, n % 2 ? "B" : "A");
    return text;
}
Texts whatsOf(const RunLogReader& r) {
    Texts out;
    for (const RunLogEntry& e : r.events()) out.push_back(e.what);
    return out;
}
} // namespace

// 100 MB of older history (a hole, made in no time) before the newest events;
// then a short history whose older file is needed, or not.
TEST(HistoryReader, ReadsFromTheEndOnlyWhatItKeeps) {
    TempFolder big;
    const std::string bigLog = big.file(file_names::kLogFile);
    writeAll(bigLog, "");
    ASSERT_EQ(::truncate(bigLog.c_str(), 100 << 20), 0);
    std::ofstream(bigLog, std::ios::app) << "\n" + lines(0, 2000);
    RunLogReader r(big.path(), 1000);
    r.reload();
    EXPECT_EQ(whatsOf(r), founds(1000, 2000));
    EXPECT_LT(r.bytesRead(), 256u << 10);

    // Lines of up to 4096 bytes are events.
    TempFolder dir;
    const std::string log = dir.file(file_names::kLogFile);
    const std::string start = "2026-12-07 09:30:00\tA\ts.wdx\t";
    const std::string longest(4096 - start.size(), 'x');
    writeAll(dir.file(file_names::kOldLogFile),
             lines(0, 5) + start + longest + "\n" + start + longest + "x\n" + lines(5, 10));
    writeAll(log, lines(10, 15));
    RunLogReader few(dir.path(), 5);
    few.reload();
    EXPECT_EQ(few.bytesRead(), std::filesystem::file_size(log)) << "the older file is not read";
    RunLogReader a(dir.path(), 7, "A");
    a.reload();
    Texts expected = founds(4, 15, 2);
    expected.insert(expected.begin() + 1, longest);
    EXPECT_EQ(whatsOf(a), expected);
    EXPECT_EQ(a.taskNames(), (std::set<std::string>{"A", "B"}));

    TempFolder named;
    std::string names;
    for (int n = 0; n <= int(RunLogReader::kMaxNames); ++n) names += lineOf(n, std::to_string(n));
    writeAll(named.file(file_names::kLogFile), names);
    RunLogReader each(named.path(), 2000);
    each.reload();
    EXPECT_EQ(each.taskNames().size(), RunLogReader::kMaxNames);
}

TEST(HistoryReader, ARefreshReadsWhatWasAppendedAlsoAcrossARotationAndAfreshAFileCutShort) {
    TempFolder dir;
    const std::string log = dir.file(file_names::kLogFile);
    const std::string first = lineOf(0);
    writeAll(log, first.substr(0, first.size() - 1)); // still being written
    RunLogReader r(dir.path(), 2000);
    r.reload();
    RunLogFile file(dir.path(), 1 << 30);
    for (int n = 1; n < 2000; ++n) file.add(numbered(n));
    EXPECT_EQ(r.refresh().added, 2000u);
    const std::uint64_t before = r.bytesRead();
    EXPECT_FALSE(r.refresh().any());
    file.add(numbered(2000));
    EXPECT_EQ(r.refresh().added, 1u);
    EXPECT_EQ(r.bytesRead() - before, lineOf(2000).size());
    RunLogFile rotating(dir.path(), std::filesystem::file_size(log) + lineOf(2001).size());
    for (int n = 2001; n < 2004; ++n) rotating.add(numbered(n)); // rotates before 2002
    const std::string torn = lineOf(2004);
    std::ofstream(log, std::ios::app) << torn.substr(0, torn.size() - 2);
    EXPECT_FALSE(r.refresh().reloaded);
    EXPECT_EQ(whatsOf(r), founds(4, 2004));
    writeAll(log, lineOf(99));
    EXPECT_TRUE(r.refresh().reloaded);
    EXPECT_EQ(whatsOf(r).back(), "program not found: 99");
    const std::uint64_t afterCut = r.bytesRead();
    file.add(numbered(100));
    r.refresh();
    EXPECT_EQ(r.bytesRead() - afterCut, lineOf(100).size());
}
