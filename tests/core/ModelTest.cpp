// The model: the task table and its edits, fields and numbers as the files and
// scripts write them, the encodings, dates far from today, and files opened or
// written in hard conditions.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <cstring>
#include <sys/resource.h>

#include "model/Cp1252.h"
#include "model/DateTime.h"
#include "model/Fields.h"
#include "model/General.h"
#include "model/RegularFile.h"
#include "model/TaskList.h"
#include "model/TextFile.h"
#include "store/FileNames.h"
#include "store/RunLogFile.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;

TEST(TaskTable, AppendRemoveAndMoveKeepTheInvariants) {
    General g;
    for (int i = 1; i <= 5; ++i) {
        ASSERT_EQ(g.append(), i);
        g.slot(i).Name = std::to_string(i);
    }
    g.slot(4).Running = 1;
    g.slot(4).ProcessId = 42;

    g.remove(2); // 1 3 4 5
    EXPECT_EQ(g.slot(5), g.slot(General::kBlankSlot));
    EXPECT_EQ(g.slot(3).Running, 1); // run-time state moves with its record

    g.move(3, 1); // 4 1 3 5
    g.move(1, 2); // 1 4 3 5
    g.move(4, 1); // 5 1 4 3: the last row moves too
    for (auto [from, to] : {std::pair{0, 1}, {1, 0}, {1, 5}, {5, 1}}) g.move(from, to); // outside the list: no move
    for (int k : {0, 5}) g.remove(k);
    std::string order;
    for (int i = 1; i <= g.TaskCount; ++i) order += g.slot(i).Name.trimmed();
    EXPECT_EQ(order, "5143");
    EXPECT_EQ(g.slot(3).ProcessId, 42);
    EXPECT_EQ(g.slot(General::kBlankSlot), TaskRecord()); // moves go through their own slot
    while (g.append() != 0) continue;
    EXPECT_EQ(g.TaskCount, General::kMaxTasks);
}

TEST(TaskTable, CaptionsNameIntervalsAndActiveElseTheNumber) {
    General g;
    g.fillCaptionTables();
    for (auto [caption, expected] : {std::pair{g.intervalName(0), "Hourly"},
                                     {g.intervalName(5), "Other"},
                                     {g.intervalName(6), "6"},
                                     {g.yesNoName(0), "No"},
                                     {g.yesNoName(1), "Yes"},
                                     {g.yesNoName(-1), "-1"}})
        EXPECT_EQ(caption, expected);
}

// Where a dragged row lands, and the row current after a removal.
TEST(TaskList, DropPlaceAndMoveFollowThePointer) {
    struct DropCase {
        const char* name;
        int startRow, pointerRow, topRow, gridRows, tasks, rowsInView, offset;
        DropPlace::Line line;
        int from, to;
    };
    constexpr auto kAt = DropPlace::Line::AtBoundary;
    const DropCase drops[] = {
        {"down", 1, 4, 0, 5, 5, 10, 4, kAt, 2, 4},
        {"up", 3, 0, 0, 5, 5, 10, 0, kAt, 4, 1},
        {"above the grid", 3, -20, 0, 5, 5, 10, 0, DropPlace::Line::GridTop, 4, 1},
        {"below the last row of a short list", 1, 9, 0, 5, 5, 10, 5, kAt, 2, 5},
        {"onto itself", 2, 2, 0, 5, 5, 10, 2, kAt, 3, 3},
        {"just below itself", 2, 3, 0, 5, 5, 10, 3, kAt, 3, 3},
        {"scrolled, down", 12, 5, 10, 40, 40, 10, 5, kAt, 13, 15},
        {"scrolled, below the grid", 12, 11, 10, 40, 40, 10, 30, DropPlace::Line::GridBottom, 13, 40},
        {"scrolled to the end, below the grid", 35, 12, 30, 40, 40, 10, 10, kAt, 36, 40},
        {"scrolled past the last task, below the grid", 1, 12, 5, 20, 3, 10, 0, DropPlace::Line::GridBottom, 2, 5},
    };
    for (const DropCase& c : drops) {
        SCOPED_TRACE(c.name);
        const DropPlace place = dropPlace(c.pointerRow, c.topRow, c.gridRows, c.tasks, c.rowsInView);
        EXPECT_EQ(place.offset, c.offset);
        EXPECT_EQ(place.line, c.line);
        const RowMove move = dropMove(c.startRow, c.topRow, place.offset);
        EXPECT_EQ(move.from, c.from);
        EXPECT_EQ(move.to, c.to);
    }
    EXPECT_EQ(rowAfterRemoval(2, 4), 1) << "the row below moves up into place";
    EXPECT_EQ(rowAfterRemoval(5, 4), 3) << "else the last row";
}

TEST(GetField, SplitsLikeTheStoreAndTheInterpreterExpect) {
    // A closing separator adds no field ("a~").
    const std::tuple<const char*, int, const char*> cases[] = {{"a~b~c", 2, "b"},     {"a~b~c", 3, "c"},
                                                               {"a~b~c", 4, nullptr}, {"a~b", 0, nullptr},
                                                               {"", 1, ""},           {"", 2, nullptr},
                                                               {"a~", 2, nullptr},    {"~~x", 2, ""}};
    for (auto [text, n, field] : cases)
        EXPECT_EQ(GetField(text, '~', n), field ? std::optional<std::string>(field) : std::nullopt) << text << " " << n;
}

TEST(Numbers, LeadingAndWholeTextRules) {
    // Blanks count nowhere, not even inside the digits; "&h" literals of up to
    // four digits are 16-bit signed.
    const std::pair<const char*, double> leading[] = {{"-1", -1},       {"1 2 3", 123},
                                                      {"\t4\n5x7", 45}, {"2.5e1abc", 25},
                                                      {"1E+20", 1e20},  {"25e-1", 2.5},
                                                      {"1d2", 100},     {"1e01", 10},
                                                      {"&HFF", 255},    {"&HA", 10},
                                                      {"&haF", 175},    {"&H89", 137},
                                                      {"&hffff", -1},   {"&o17", 15},
                                                      {"&O8", 0},       {"&0", 0},
                                                      {"&", 0},         {".", 0},
                                                      {".09", 0.09},    {"1e0000001", 10},
                                                      {"2e00", 2},      {"&HFFFFFFFFFFFFFFFF", 18446744073709551615.0}};
    for (auto [text, value] : leading) EXPECT_EQ(leadingNumber(text), value) << text;
    // Halves round to even. Numbers outside 16 bits read as 0, not wrapped,
    // also when too long for any buffer; leading zeros or blanks beyond any
    // buffer limit still lead to the digits.
    const std::string zeros(20000, '0');
    const std::pair<std::string, int> int16[] = {{"2.5", 2},
                                                 {"3.5", 4},
                                                 {"40000", 0},
                                                 {"32767", 32767},
                                                 {"-32768", -32768},
                                                 {"10" + zeros, 0},
                                                 {std::string(1 << 20, ' ') + "3", 3},
                                                 {"&H10000000000000001", 0},
                                                 {"&O" + zeros + "17", 15},
                                                 {zeros + "12", 12},
                                                 {"-" + zeros + "1.5", -2},
                                                 {"&H" + zeros + "FF", 255},
                                                 {"&h" + zeros + "ff", 255}};
    for (const auto& [text, value] : int16) EXPECT_EQ(leadingInt16(text), value) << text.substr(0, 30);
    // A whole-text number allows blanks around it only.
    const std::string longest = "001." + std::string(4093, '0'); // 4096 characters without its first zero
    const std::pair<std::string, int> whole[] = {{" 3 ", 3}, {"5.", 5},  {"2e1", 20}, {"2e", 0},          {"3x", 0},
                                                 {"", 0},    {"- 1", 0}, {"nan", 0},  {zeros + "12", 12}, {longest, 1}};
    for (const auto& [text, value] : whole) EXPECT_EQ(wholeInt16(text), value) << text.substr(0, 30);
    EXPECT_EQ(wholeNumber("1e-1234569"), 0.0) << "an exponent's digits past the sixth are its own";
    EXPECT_EQ(waitNumber("0090.09"), 90.09); // a wait's plain decimal
}

TEST(Encodings, EveryCp1252ByteRoundTripsAndUtf8IsStrict) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC"); // euro sign
    for (const char* outside : {"\xE4\xB8\xAD", "\xC2\x80"})
        EXPECT_EQ(utf8ToCp1252(outside), "?") << "not in the code page";
    // Only well-formed UTF-8 counts as such: not cut short, overlong, a
    // surrogate, beyond U+10FFFF or a lone continuation byte.
    for (const char* bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
    // One to four bytes, changing at their boundaries.
    for (auto [codePoint, bytes] : {std::pair<char32_t, std::size_t>{0x7F, 1},
                                    {0x80, 2},
                                    {0x7FF, 2},
                                    {0x800, 3},
                                    {0xFFFF, 3},
                                    {0x10000, 4},
                                    {0x10FFFF, 4}}) {
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

// A file size limit stands in for a full disk: writes fail part-way.
TEST(FullDisk, ASaveLeavesTheOldFileAndSaysWhy) {
    TempFolder dir;
    writeAll(dir.file("f"), "old");
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{4096, limit.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string why = writeFileAtomically(dir.file("f"), std::string(10000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    EXPECT_NE(why, "");
    EXPECT_EQ(readAll(dir.file("f")), "old");
    // A link replaced by the file gets the owner's mode, not the link's.
    std::filesystem::create_symlink("f", dir.file("link"));
    writeFileAtomically(dir.file("link"), "new", LinkAtPath::Replace);
    EXPECT_EQ(std::filesystem::status(dir.file("link")).permissions(), std::filesystem::perms(0600));
}

// A program started with its input closed gets descriptor 0 for the first
// file it opens; a file that is not there gives no descriptor at all, and
// the reason is the system's; what is no file says what it is.
TEST(Descriptors, AFileThatGotDescriptorZeroIsReadAndWritten) {
    TempFolder dir;
    writeAll(dir.file("f"), "line\n");
    std::string why;
    EXPECT_LT(openRegularFile(dir.file("missing"), FileUse::Read, why), 0);
    openRegularFile(dir.file("missing/f"), FileUse::AppendOrCreate, why);
    EXPECT_EQ(why, std::strerror(ENOENT));
    openRegularFile("/dev/null", FileUse::Read, why);
    EXPECT_EQ(why, "it is a device");
    // A relative link is followed from the folder that holds it.
    std::filesystem::create_symlink("g", dir.file("link"));
    EXPECT_EQ(followLinks(dir.file("link")), dir.file("g"));
    const int input = ::dup(0);
    ::close(0);
    std::string line;
    errno = EINTR; // left by an earlier call: the open that got descriptor 0 is not retried
    const bool read = LineReader(dir.file("f")).next(line);
    const int leftOpen = ::fcntl(0, F_GETFD);
    const std::string written = writeFileAtomically(dir.file("g"), "x");
    RunLogFile(dir.path()).add(RunEvent{DateTime{2026, 12, 6, 9, 30, 0}, RunEventKind::Finished, "T", "", {}, {}, {}});
    ::dup2(input, 0);
    ::close(input);
    EXPECT_TRUE(read);
    EXPECT_EQ(leftOpen, -1) << "descriptor 0 left open";
    EXPECT_EQ(written, "");
    EXPECT_NE(readAll(dir.file(file_names::kLogFile)), "") << "the history";
}
