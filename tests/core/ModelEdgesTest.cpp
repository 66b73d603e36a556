// The model at its edges: the lengths of UTF-8, dates far from today, the
// task table's captions, counts and moves outside the list, and writes that
// run out of room.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "model/Cp1252.h"
#include "model/DateTime.h"
#include "model/General.h"
#include "model/TextFile.h"
#include "store/FileNames.h"
#include "store/RunLogFile.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;

TEST(Encodings, Utf8TakesOneToFourBytesChangingAtTheirBoundaries) {
    const std::pair<char32_t, std::size_t> cases[] = {{0x7F, 1},   {0x80, 2},    {0x7FF, 2},   {0x800, 3},
                                                      {0xFFFF, 3}, {0x10000, 4}, {0x10FFFF, 4}};
    for (auto [codePoint, bytes] : cases) {
        std::string text;
        appendUtf8(text, codePoint);
        EXPECT_EQ(text.size(), bytes) << std::hex << static_cast<unsigned>(codePoint);
        std::size_t pos = 0;
        char32_t back = 0;
        EXPECT_TRUE(decodeUtf8(text, pos, back) && back == codePoint) << std::hex << static_cast<unsigned>(codePoint);
    }
}

TEST(DateTime, DatesOfOtherCenturiesRoundTripWithTheirWeekdays) {
    const std::pair<DateTime, int> cases[] = {{{1899, 12, 30, 0, 0, 0}, 7},  {{1900, 3, 1, 23, 59, 59}, 5},
                                              {{1969, 12, 31, 12, 0, 0}, 4}, {{2000, 2, 29, 0, 0, 0}, 3},
                                              {{2100, 3, 1, 0, 0, 1}, 2},    {{2400, 2, 29, 6, 0, 0}, 3},
                                              {{2004, 7, 1, 0, 0, 0}, 5}};
    for (const auto& [t, weekday] : cases) {
        EXPECT_EQ(DateTime::fromSerialSeconds(t.serialSeconds()), t) << t.year;
        EXPECT_EQ(t.weekday(), weekday) << t.year;
    }
}

TEST(TaskTable, CaptionsCountsAndMovesOutsideTheList) {
    General g;
    g.fillCaptionTables();
    EXPECT_EQ(g.intervalName(0), "Hourly");
    EXPECT_EQ(g.intervalName(5), "Other");
    EXPECT_EQ(g.intervalName(6), "6");
    EXPECT_EQ(g.yesNoName(1), "Yes");
    EXPECT_EQ(g.yesNoName(-1), "-1");
    for (std::int16_t active : {1, 0, 0}) g.slot(g.append()).Active = active;
    EXPECT_EQ(g.activeCount(), 1);
    for (auto [from, to] : {std::pair{0, 1}, {1, 0}, {1, 4}, {4, 1}}) {
        EXPECT_NO_THROW(g.move(from, to));
        EXPECT_EQ(g.slot(1).Active, 1) << from << " to " << to;
    }
}

// A file size limit stands in for a full disk: writes fail part-way.
TEST(FullDisk, ASaveLeavesTheOldFileAndSaysWhyAndTheHistoryGivesUp) {
    TempFolder dir;
    writeAll(dir.file("f"), "old");
    writeAll(dir.file(file_names::kLogFile), std::string(4090, 'x'));
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{4096, limit.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string why = writeFileAtomically(dir.file("f"), std::string(10000, 'x'));
    RunLogFile(dir.path())
        .add(RunEvent{DateTime{2026, 12, 6, 9, 30, 0}, RunEventKind::Finished, "T", "a.wdx", {}, {}, {}});
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    EXPECT_NE(why, "");
    EXPECT_EQ(readAll(dir.file("f")), "old");
}

// A program started with its input closed gets descriptor 0 for the first
// file it opens.
TEST(LineReader, ReadsAFileThatGotDescriptorZero) {
    TempFolder dir;
    writeAll(dir.file("f"), "line\n");
    const int input = ::dup(0);
    ::close(0);
    std::string line;
    const bool read = LineReader(dir.file("f")).next(line);
    ::dup2(input, 0);
    ::close(input);
    EXPECT_TRUE(read);
}
