// Task table operations, GetField, the number rules, the store files (also
// damaged and hostile ones) and the listing of script files.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <sys/stat.h>

#include "model/Cp1252.h"
#include "model/General.h"
#include "model/Fields.h"
#include "store/Folders.h"
#include "store/ScriptFiles.h"
#include "store/TaskLine.h"
#include "store/InstanceRequest.h"
#include "store/TaskStore.h"
#include "model/TextFile.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

TEST(TaskTable, AppendRemoveAndMoveKeepTheInvariants) {
    General g;
    for (int i = 1; i <= 5; ++i) {
        ASSERT_EQ(g.append(), i);
        g.slot(i).Name = std::to_string(i);
    }
    g.slot(4).Running = 1;
    g.slot(4).ProcessId = 42;

    g.remove(2); // 1 3 4 5
    EXPECT_EQ(g.TaskCount, 4);
    EXPECT_EQ(g.slot(5), g.slot(General::kBlankSlot));
    EXPECT_EQ(g.slot(3).Name.trimmed(), "4");
    EXPECT_EQ(g.slot(3).Running, 1); // run-time state moves with its record

    g.move(3, 1); // 4 1 3 5
    g.move(2, 4); // 4 3 5 1
    g.move(4, 1); // 1 4 3 5: the last row moves too
    std::string order;
    for (int i = 1; i <= g.TaskCount; ++i) order += g.slot(i).Name.trimmed();
    EXPECT_EQ(order, "1435");
    EXPECT_EQ(g.slot(2).ProcessId, 42);
    EXPECT_EQ(g.slot(General::kBlankSlot), TaskRecord()); // moves go through their own slot
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
    const std::pair<const char*, double> leading[] = {{"-1", -1},       {"1 2 3", 123}, {"\t4\n5x7", 45},
                                                      {"2.5e1abc", 25}, {"1E+2", 100},  {"25e-1", 2.5},
                                                      {"1d2", 100},     {"1e01", 10},   {"&HFF", 255},
                                                      {"&HA", 10},      {"&hAf", 175},  {"&H89", 137},
                                                      {"&hffff", -1},   {"&O17", 15},   {"&O8", 0},
                                                      {"&0", 0},        {"&", 0},       {".", 0},
                                                      {".5", 0.5}};
    for (auto [text, value] : leading) EXPECT_EQ(leadingNumber(text), value) << text;
    // Halves round to even. Numbers outside 16 bits read as 0, also when too
    // long for any buffer; leading zeros or blanks beyond any buffer limit
    // still lead to the digits.
    const std::string zeros(20000, '0');
    const std::pair<std::string, int> int16[] = {{"2.5", 2},
                                                 {"3.5", 4},
                                                 {"40000", 0},
                                                 {"32767", 32767},
                                                 {"-32768", -32768},
                                                 {"10" + zeros, 0},
                                                 {std::string(1 << 20, ' ') + "3", 3},
                                                 {"&H10000000000000001", 0}, // not wrapped to 1
                                                 {"&O" + zeros + "17", 15},
                                                 {zeros + "12", 12},
                                                 {"-" + zeros + "1.5", -2},
                                                 {"&H" + zeros + "FF", 255}};
    for (const auto& [text, value] : int16) EXPECT_EQ(leadingInt16(text), value) << text.substr(0, 30);
    // A whole-text number allows blanks around it only.
    const std::pair<std::string, int> whole[] = {{" 3 ", 3}, {"5.", 5},  {"2e1", 20}, {"2e", 0},         {"3x", 0},
                                                 {"", 0},    {"- 1", 0}, {"nan", 0},  {zeros + "12", 12}};
    for (const auto& [text, value] : whole) EXPECT_EQ(wholeInt16(text), value) << text.substr(0, 30);
    EXPECT_EQ(waitNumber("0090.5"), 90.5); // a wait's plain decimal
}

TEST(TaskLine, WorkedExampleIsByteExactWithOneBytePerCharacter) {
    TaskRecord r;
    r.Name = utf8ToCp1252("Backup \xC3\xA9t\xC3\xA9 \xE2\x82\xAC"); // "Backup été €"
    r.Comment = "Nightly copy";
    r.Interval = Daily;
    r.TimeHour = 2;
    r.TimeMinute = 30;
    r.Active = 1;
    r.ScriptFile = "backup.wdx";
    const std::string expected = "Backup \xE9t\xE9 \x80" + std::string(8, ' ') + "~Nightly copy" +
                                 std::string(38, ' ') + "~1~0~0~2~30~0~0~0~0~0~1~backup.wdx" + std::string(15, ' ');
    EXPECT_EQ(formatTaskLine(r), expected);
}

TEST(Encodings, EveryCp1252ByteRoundTripsAndUtf8IsStrict) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC"); // euro sign
    EXPECT_EQ(utf8ToCp1252("\xE2\x82\xAC"), "\x80");
    EXPECT_EQ(utf8ToCp1252("\xE4\xB8\xAD"), "?"); // not in the code page
    // Only well-formed UTF-8 counts as such: not cut short, overlong, a
    // surrogate, beyond U+10FFFF or a lone continuation byte.
    EXPECT_TRUE(isValidUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    for (const char* bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
}

class StoreFiles : public ::testing::Test {
protected:
    TempFolder dir;
    TaskStore store{dir.path()};
    std::string dat() const { return dir.file("Scripts.dat"); }
    std::string ini() const { return dir.file("Scripts.ini"); }
};

TEST_F(StoreFiles, MissingFilesAreCreatedForTheOwnerAndExistingOnesKeepTheirMode) {
    General g;
    g.MinimizeOnStartup = 1;
    store.read(g);
    EXPECT_EQ(g.TaskCount, 0);
    EXPECT_EQ(g.MinimizeOnStartup, 0);
    EXPECT_EQ(readAll(dat()), "");
    EXPECT_EQ(readAll(ini()), " 0 \r\n 0 \r\n");
    EXPECT_EQ(fs::status(dat()).permissions(), fs::perms(0600));
    EXPECT_TRUE(store.errors().empty());
    // A mode the user chose stays, and a write leaves no temporaries behind.
    fs::permissions(dat(), fs::perms(0644));
    g.append();
    ASSERT_TRUE(store.write(g).empty());
    EXPECT_EQ(fs::status(dat()).permissions(), fs::perms(0644));
    int entries = 0;
    for (auto& e : fs::directory_iterator(dir.path())) entries += e.is_regular_file();
    EXPECT_EQ(entries, 2);
}

TEST_F(StoreFiles, OptionLines) {
    General g;
    for (auto [text, first, second, third] : {std::tuple{"-1\r\n1\r\n", -1, 1, 0},
                                              {" 1 \r\n 0 \r\n 1 \r\n", 1, 0, 1},
                                              {"text\r\n", 0, 0, 0},
                                              {"70000\r\n1", 0, 1, 0}}) {
        writeAll(ini(), text);
        TaskStore(dir.path()).readOptions(g);
        EXPECT_EQ(g.MinimizeOnStartup, first) << text;
        EXPECT_EQ(g.MinimizeToTray, second) << text;
        EXPECT_EQ(g.RunMissedTasks, third) << text;
    }
    // The third line came later: a file without it still reads as before, so
    // it is written only when the option is on.
    g.MinimizeToTray = -1;
    store.write(g);
    EXPECT_EQ(readAll(ini()), " 0 \r\n-1 \r\n");
    g.RunMissedTasks = 1;
    store.write(g);
    EXPECT_EQ(readAll(ini()), " 0 \r\n-1 \r\n 1 \r\n");
}

TEST_F(StoreFiles, LineEndsEmptyLinesAndTheLastLine) {
    writeAll(dat(), "a~1\r\n\r\nb\rc\nd~x"); // CR LF, CR alone and LF alone each end a line
    General g;
    store.read(g);
    ASSERT_EQ(g.TaskCount, 5);
    EXPECT_EQ(g.slot(1).Name.trimmed(), "a");
    EXPECT_EQ(g.slot(2).Name.str(), std::string(20, ' '));
    EXPECT_EQ(g.slot(3).Name.trimmed(), "b");
    EXPECT_EQ(g.slot(4).Name.trimmed(), "c");
    EXPECT_EQ(g.slot(5).Comment.trimmed(), "x");
    // Written back with CR LF, every task kept.
    ASSERT_TRUE(store.write(g).empty());
    const std::string saved = readAll(dat());
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 5);
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\r'), 5);
}

TEST_F(StoreFiles, ALinkedTaskListStaysALinkAndItsTargetIsReplaced) {
    fs::create_directory(dir.file("real"));
    writeAll(dir.file("real/Scripts.dat"), "old\r\n");
    fs::create_symlink("real/Scripts.dat", dat());
    General g;
    store.read(g);
    g.slot(g.append()).Name = "new";
    ASSERT_TRUE(store.write(g).empty());
    EXPECT_TRUE(fs::is_symlink(dat()));
    const std::string target = readAll(dir.file("real/Scripts.dat"));
    EXPECT_EQ(target.substr(0, 3), "old");
    EXPECT_NE(target.find("\r\nnew "), std::string::npos) << target;
}

TEST_F(StoreFiles, ManyGeneratedTasksRoundTrip) {
    std::mt19937 rng(7);
    General g;
    auto text = [&](std::size_t max) { // any printable character but the separator, and code 0
        std::string s(rng() % (max + 1), ' ');
        for (char& c : s) c = static_cast<char>(rng() % 9 == 0 ? 0 : rng() % 2 ? 32 + rng() % 94 : 128 + rng() % 128);
        return s;
    };
    for (int i = 1; i <= 200; ++i) {
        g.append();
        TaskRecord& r = g.slot(i);
        r.Name = text(25);
        r.Comment = text(60);
        r.ScriptFile = text(30);
        for (std::int16_t* f : {&r.Interval, &r.DateDay, &r.DateMonth, &r.TimeHour, &r.TimeMinute, &r.DayofMonth,
                                &r.DayofWeek, &r.MinsPastHour, &r.Other, &r.MSOption, &r.Active})
            *f = static_cast<std::int16_t>(static_cast<int>(rng() % 65536) - 32768);
    }
    ASSERT_TRUE(store.write(g).empty());
    General back;
    TaskStore(dir.path()).read(back);
    ASSERT_EQ(back.TaskCount, 200);
    for (int i = 1; i <= 200; ++i) EXPECT_EQ(back.slot(i), g.slot(i)) << "slot " << i;
}

TEST_F(StoreFiles, MoreThan200LinesLoadsTheFirstAndKeepsTheOriginal) {
    std::string original;
    for (int i = 1; i <= 250; ++i) original += "task" + std::to_string(i) + "\r\n";
    writeAll(dat(), original);
    General g;
    store.read(g);
    EXPECT_EQ(g.TaskCount, 200);
    EXPECT_TRUE(store.lostOnLoad());
    EXPECT_NE(store.errors().back().find("Scripts.dat.bak"), std::string::npos) << "the user is told of the backup";
    EXPECT_EQ(g.slot(200).Name.trimmed(), "task200");
    EXPECT_EQ(g.slot(General::kBlankSlot), TaskRecord());
    ASSERT_TRUE(store.write(g).empty());
    EXPECT_EQ(readAll(dat() + ".bak"), original);
    const std::string rewritten = readAll(dat());
    EXPECT_EQ(std::count(rewritten.begin(), rewritten.end(), '\n'), 200);
    writeAll(dat() + ".bak", "kept"); // only the first write of a run makes the backup
    ASSERT_TRUE(store.write(g).empty());
    EXPECT_EQ(readAll(dat() + ".bak"), "kept");
}

TEST_F(StoreFiles, TaskFilesThatAreFoldersStartEmptyAndAreReportedAtSave) {
    fs::create_directory(dat());
    fs::create_directory(ini());
    General g;
    store.read(g);
    EXPECT_FALSE(store.errors().empty());
    EXPECT_FALSE(store.lostOnLoad()); // a folder holds no tasks to keep
    g.append();
    auto problems = store.write(g);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("Scripts.dat"), std::string::npos);
    EXPECT_NE(problems[1].find("Scripts.ini"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dat()));
}

class HostileStoreInput : public StoreFiles {};

TEST_F(HostileStoreInput, HundredMegabyteLineOfNulBytesLoadsInBoundedTimeAndMemory) {
    // A sparse file: 100 MB of code-0 bytes without a single line end.
    writeAll(dat(), "");
    fs::resize_file(dat(), 100u << 20);
    const long before = peakKilobytes();
    const auto t0 = Steady::now();
    General g;
    store.read(g);
    EXPECT_LT(Steady::now() - t0, std::chrono::seconds(10));
    EXPECT_LT(peakKilobytes() - before, 20 * 1024) << "kilobytes";
    ASSERT_EQ(g.TaskCount, 1);
    EXPECT_EQ(g.slot(1).Name.str(), std::string(20, '\0'));
    EXPECT_TRUE(store.lostOnLoad());
    ASSERT_TRUE(store.write(g).empty());
    EXPECT_EQ(fs::file_size(dat() + ".bak"), 100u << 20);
    EXPECT_EQ(fs::file_size(dat()), 121u);
}

TEST(ScriptFiles, OnlyVisibleRegularWdxFilesAndNeverAThrow) {
    TempFolder dir;
    for (const char* leaf : {"a.wdx", "b.wdx", "notes.txt", ".hidden.wdx", "UP.WDX", "a.wdx.bak", ".wdx"})
        std::ofstream(dir.file(leaf)) << "x";
    fs::create_directory(dir.file("sub.wdx"));
    fs::create_symlink(dir.file("missing"), dir.file("dangling.wdx"));
    std::vector<std::string> names = listScriptFiles(dir.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"UP.WDX", "a.wdx", "b.wdx"}));

    EXPECT_TRUE(listScriptFiles(dir.file("nope")).empty());
    EXPECT_TRUE(listScriptFiles(dir.file("notes.txt")).empty());
    fs::permissions(dir.file("sub.wdx"), fs::perms::none);
    EXPECT_NO_THROW(listScriptFiles(dir.file("sub.wdx")));
}

TEST(PrivateFolders, MissingLevelsAreMadeForTheOwnerOnlyAndExistingOnesKeptAsTheyAre) {
    TempFolder dir;
    fs::create_directory(dir.file("shared"));
    fs::permissions(dir.file("shared"), fs::perms(0755));
    std::string failure;
    ASSERT_TRUE(makePrivateFolders(dir.file("shared/a/b"), failure)) << failure;
    EXPECT_EQ(fs::status(dir.file("shared")).permissions(), fs::perms(0755));
    for (const char* made : {"shared/a", "shared/a/b"})
        EXPECT_EQ(fs::status(dir.file(made)).permissions(), fs::perms(0700)) << made;
    writeAll(dir.file("file"), "");
    EXPECT_FALSE(makePrivateFolders(dir.file("file"), failure));
    EXPECT_EQ(failure, "cannot create " + dir.file("file") + ": it is not a folder");
}

TEST(TaskLine, SevenNumberFieldsReadTheNumberTheyBeginWithFourOnlyAWholeNumber) {
    TaskRecord r;
    parseTaskLine("n~c~3x~3x~3x~3x~3x~3x~3x~3x~3x~3x~3x~s.wdx", r);
    const std::tuple<const char*, std::int16_t, int> fields[] =
        {{"Interval", r.Interval, 0},     {"DateDay", r.DateDay, 3},
         {"DateMonth", r.DateMonth, 3},   {"TimeHour", r.TimeHour, 3},
         {"TimeMinute", r.TimeMinute, 3}, {"DayofMonth", r.DayofMonth, 0},
         {"DayofWeek", r.DayofWeek, 0},   {"MinsPastHour", r.MinsPastHour, 0},
         {"Other", r.Other, 3},           {"MSOption", r.MSOption, 3},
         {"Active", r.Active, 3}};
    for (auto [name, value, expected] : fields) EXPECT_EQ(value, expected) << name;
}

// Saves that were killed half-way leave temporaries (".Scripts.dat.XXXXXX"):
// those older than any save in progress go at the next start, nothing else.
TEST_F(StoreFiles, OnlyOldTemporariesOfKilledSavesAreRemovedAtStart) {
    const auto aMinuteAgo = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    for (const char* leaf : {".Scripts.dat.a1b2c3", ".Scripts.ini.x9y8z7", "holiday-photos.jpeg", ".Scripts.dat.old"})
        writeAll(dir.file(leaf), "x");
    writeAll(dir.file(".Scripts.dat.fresh1"), "x");
    fs::create_directory(dir.file(".Scripts.dat.folder"));
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (entry.path().filename() != ".Scripts.dat.fresh1") fs::last_write_time(entry.path(), aMinuteAgo);
    // Under ten seconds old: a save may still be writing it.
    fs::last_write_time(dir.file(".Scripts.dat.fresh1"), aMinuteAgo + std::chrono::milliseconds(50500));
    General g;
    store.read(g);
    for (const char* gone : {".Scripts.dat.a1b2c3", ".Scripts.ini.x9y8z7"})
        EXPECT_FALSE(fs::exists(dir.file(gone))) << gone;
    for (const char* kept : {"holiday-photos.jpeg", ".Scripts.dat.old", ".Scripts.dat.fresh1", ".Scripts.dat.folder"})
        EXPECT_TRUE(fs::exists(dir.file(kept))) << kept;
}

TEST_F(StoreFiles, ALineOfUpTo64KilobytesIsKeptWholeALongerOneIsCut) {
    for (auto [bytes, cut] : {std::pair{64 * 1024, false}, {64 * 1024 + 1, true}}) {
        writeAll(dat(), "n~" + std::string(bytes - 2, 'c'));
        TaskStore store(dir.path());
        General g;
        store.read(g);
        EXPECT_EQ(store.lostOnLoad(), cut) << bytes;
        EXPECT_EQ(store.errors().empty(), !cut) << bytes;
    }
}

// A task list linked to another file system (/dev/shm is mostly one of its
// own), too damaged to load whole: no hard link can keep the original, a copy
// does, and the save goes to the link's target, written beside it.
TEST_F(StoreFiles, WhereNoHardLinkCanKeepTheOriginalACopyDoes) {
    struct stat here {
    }, shm{};
    if (::stat(dir.path().c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
        GTEST_SKIP() << "/dev/shm is no file system of its own";
    char folder[] = "/dev/shm/wendrel-test-XXXXXX";
    ASSERT_TRUE(::mkdtemp(folder));
    const std::string target = std::string(folder) + "/Scripts.dat";
    writeAll(target, "n~" + std::string(64 * 1024, 'c'));
    fs::create_symlink(target, dat());
    General g;
    store.read(g);
    EXPECT_TRUE(store.write(g).empty());
    EXPECT_EQ(fs::file_size(dat() + ".bak"), 64 * 1024 + 2);
    EXPECT_EQ(readAll(target).substr(0, 2), "n ");
    fs::remove_all(folder);
}

// /proc/self/mem reads as a regular file whose every read fails (EIO).
TEST_F(StoreFiles, ATaskListThatFailsToReadToItsEndCountsAsNotLoaded) {
    fs::create_symlink("/proc/self/mem", dat());
    General g;
    store.read(g);
    EXPECT_TRUE(store.lostOnLoad());
    EXPECT_FALSE(store.write(g).empty()) << "what could not be read must not be replaced";
}

TEST(InstanceRequest, TheFirstLineDecidesInAnyPiecesAndStays) {
    InstanceRequestReader reader;
    EXPECT_EQ(reader.feed("sh"), InstanceRequestReader::Verdict::Incomplete);
    EXPECT_EQ(reader.feed("ow\nquit\n"), InstanceRequestReader::Verdict::Show);
    EXPECT_EQ(reader.feed("x\n"), InstanceRequestReader::Verdict::Show);
    EXPECT_EQ(InstanceRequestReader().feed("show\r\n"), InstanceRequestReader::Verdict::Show);
    InstanceRequestReader endless;
    EXPECT_EQ(endless.feed(std::string(kMaxRequestBytes - 1, 'x')), InstanceRequestReader::Verdict::Incomplete);
    EXPECT_EQ(endless.feed("x"), InstanceRequestReader::Verdict::TooLong);
}
