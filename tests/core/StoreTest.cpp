// The task list and options files: the line format, texts in any language,
// damaged and hostile files, atomic saves, the backup of what could not be
// loaded whole; the folders and the script files' names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <chrono>
#include <filesystem>
#include <random>
#include <regex>
#include <sys/resource.h>
#include <sys/stat.h>

#include "model/Cp1252.h"
#include "model/General.h"
#include "store/Folders.h"
#include "store/ScriptFiles.h"
#include "store/TaskLine.h"
#include "store/TaskStore.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;
namespace fs = std::filesystem;

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
    g.slot(g.append()).Name = "stale";
    store.read(g);
    EXPECT_EQ(g.TaskCount, 0);
    EXPECT_EQ(g.MinimizeOnStartup, 0);
    EXPECT_EQ(readAll(dat()), "");
    EXPECT_EQ(readAll(ini()), " 0 \r\n 0 \r\n");
    EXPECT_EQ(fs::status(dat()).permissions(), fs::perms(0600));
    EXPECT_TRUE(store.errors().empty());
    // A mode the user chose stays, and a write leaves no temporaries behind.
    fs::permissions(dat(), fs::perms(0644));
    EXPECT_EQ(g.slot(g.append()), TaskRecord()) << "a task added after a read starts blank";
    ASSERT_TRUE(store.write(g).empty());
    EXPECT_EQ(fs::status(dat()).permissions(), fs::perms(0644));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST_F(StoreFiles, OptionLines) {
    General g;
    // Each read starts from the defaults: a line missing reads as 0.
    const std::tuple<const char*, int, int, int> files[] = {{" 1 \r\n 0 \r\n 1 \r\n", 1, 0, 1},
                                                            {"-1\r\n1\r\n", -1, 1, 0},
                                                            {"text\r\n", 0, 0, 0},
                                                            {"70000\r\n1", 0, 1, 0}};
    for (auto [text, first, second, third] : files) {
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

// Texts in any language: a line that Windows-1252 holds is kept in it byte
// for byte, one that needs more is written as UTF-8; widths count characters.
TEST_F(StoreFiles, MixedLinesRoundTripByteForByte) {
    const std::string cafe = "Caf\xC3\xA9?", looksUtf8 = "\xC3\x83\xC2\xA9";       // Ã© is C3 A9 in Windows-1252
    const std::string mixed = "Caf\xC3\xA9 \xE2\x9C\x93 \xD0\x9F\xD1\x80\xD0\xB8"; // Café ✓ При
    std::string cyrillic21;
    for (int i = 0; i < 21; ++i) cyrillic21 += "\xD0\xB6"; // ж
    EXPECT_EQ(FixedText<20>(cyrillic21).shown(), cyrillic21.substr(0, 40)) << "never cut inside a character";
    General g;
    for (const std::string& name : {cafe, mixed, looksUtf8}) g.slot(g.append()).Name = name;
    ASSERT_TRUE(store.write(g).empty());
    const std::string bytes = readAll(dat());
    EXPECT_NE(bytes.find("Caf\xE9?" + std::string(15, ' ') + "~"), std::string::npos) << "Windows-1252 line";
    EXPECT_NE(bytes.find(mixed + std::string(10, ' ') + "~"), std::string::npos) << "UTF-8 line";
    EXPECT_NE(bytes.find(looksUtf8 + std::string(18, ' ') + "~"), std::string::npos) << "ambiguous line";
    General back;
    TaskStore(dir.path()).read(back);
    EXPECT_EQ(back.slot(2).Name.shown(), mixed);
    EXPECT_EQ(back.slot(3).Name.shown(), looksUtf8);
    ASSERT_TRUE(TaskStore(dir.path()).write(back).empty());
    EXPECT_EQ(readAll(dat()), bytes);
}

TEST_F(StoreFiles, ManyGeneratedTasksRoundTrip) {
    std::mt19937 rng(7);
    General g;
    auto text = [&](std::size_t max) { // any printable character but the separator, and code 0
        std::string s(rng() % (max + 1), ' ');
        for (char& c : s) c = static_cast<char>(rng() % 9 == 0 ? 0 : rng() % 2 ? 32 + rng() % 94 : 128 + rng() % 128);
        return s;
    };
    for (int i = 1; i <= General::kMaxTasks; ++i) {
        TaskRecord& r = g.slot(g.append());
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
    for (int i = 1; i <= 200; ++i) EXPECT_EQ(back.slot(i), g.slot(i)) << "slot " << i;
}

TEST_F(StoreFiles, MoreThan200LinesLoadsTheFirstAndKeepsTheOriginal) {
    std::string original;
    for (int i = 1; i <= 250; ++i) original += "task" + std::to_string(i) + "\r\n";
    writeAll(dat(), original);
    General g;
    store.read(g);
    EXPECT_EQ(g.TaskCount, 200);
    EXPECT_NE(store.errors().back().find("Scripts.dat.bak"), std::string::npos) << "the user is told of the backup";
    ASSERT_TRUE(store.write(g).empty());
    EXPECT_EQ(readAll(dat() + ".bak"), original);
    EXPECT_EQ(std::ranges::count(readAll(dat()), '\r'), 200) << "each line ends in CR LF";
    writeAll(dat() + ".bak", "kept"); // only the first write of a run makes the backup
    ASSERT_TRUE(store.write(g).empty());
    EXPECT_EQ(readAll(dat() + ".bak"), "kept");
}

TEST_F(StoreFiles, TaskFilesThatAreFoldersStartEmptyAndAreReportedAtSave) {
    fs::create_directory(dat());
    fs::create_directory(ini());
    General g;
    store.read(g);
    EXPECT_EQ(store.errors().size(), 2u);
    EXPECT_FALSE(store.lostOnLoad()); // a folder holds no tasks to keep
    g.append();
    auto problems = store.write(g);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("Scripts.dat"), std::string::npos);
    EXPECT_NE(problems[1].find("Scripts.ini"), std::string::npos);
}

// A task list that cannot be opened (no descriptor left) or read to its end
// (/proc/self/mem, whose every read fails) counts as not loaded.
TEST_F(StoreFiles, ATaskListThatCannotBeReadWholeCountsAsNotLoaded) {
    writeAll(dat(), "kept\r\n");
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    const rlimit none{0, limit.rlim_max};
    General g;
    ::setrlimit(RLIMIT_NOFILE, &none);
    store.read(g);
    ::setrlimit(RLIMIT_NOFILE, &limit);
    EXPECT_TRUE(store.lostOnLoad()) << "not opened";
    fs::remove(dat());
    fs::create_symlink("/proc/self/mem", dat());
    TaskStore again(dir.path());
    again.read(g);
    EXPECT_TRUE(again.lostOnLoad()) << "not read to its end";
    EXPECT_FALSE(again.write(g).empty()) << "what could not be read must not be replaced";
}

// The list the folder could not take at exit goes to another folder, made
// for it, under names of its own.
TEST_F(StoreFiles, AFallbackTakesTheTasksAndTheOptions) {
    General g;
    g.MinimizeToTray = -1;
    g.slot(g.append()).Name = "Kept";
    std::string why;
    std::string tasks = TaskStore::writeFallback(g, dir.file("elsewhere/deep"), why);
    EXPECT_TRUE(std::regex_match(fs::path(tasks).filename().string(), std::regex(R"(Scripts-\d{8}-\d{6}-\d+\.dat)")))
        << tasks;
    EXPECT_EQ(readAll(tasks), TaskStore::formatTaskFile(g)) << why;
    EXPECT_EQ(readAll(tasks.replace(tasks.size() - 4, 4, ".ini")), TaskStore::formatOptionsFile(g));
}

TEST(ScriptFiles, OnlyVisibleRegularWdxFilesAndNeverAThrow) {
    TempFolder dir;
    for (const char* leaf : {"a.wdx", "b.wdx", "notes.txt", ".hidden.wdx", "UP.WDX", "a.wdx.bak", ".wdx"})
        writeAll(dir.file(leaf), "x");
    fs::create_directory(dir.file("sub.wdx"));
    fs::create_symlink(dir.file("missing"), dir.file("dangling.wdx"));
    std::vector<std::string> names = listScriptFiles(dir.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"UP.WDX", "a.wdx", "b.wdx"}));
    EXPECT_TRUE(listScriptFiles(dir.file("nope")).empty());
}

// A script's name: a plain name of a file in the program's folder that the
// task holds whole, with the extension added unless it ends in it.
TEST(ScriptFiles, ANameIsPlainAndFitsTheTask) {
    for (const std::string& name : {std::string("backup.wdx"), std::string(25, 'x'),
                                    std::string(20, 'a') + "\xc3\xa9.wdx", std::string("\xe6\x97\xa5.wdx")})
        EXPECT_EQ(scriptNameProblem(name), std::nullopt) << name;
    for (const std::string& name : {std::string(), std::string("no/such.wdx"), std::string("."), std::string(".."),
                                    std::string("a\0b.wdx", 7), std::string(26, 'x'), std::string("\xff.wdx")})
        EXPECT_NE(scriptNameProblem(name), std::nullopt) << name;
    EXPECT_EQ(withScriptExtension("backup"), "backup.wdx");
    EXPECT_EQ(withScriptExtension(".WDX"), ".WDX");
    EXPECT_EQ(withScriptExtension("wdx"), "wdx.wdx");
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
    EXPECT_FALSE(makePrivateFolders(dir.file("file/sub"), failure));
    EXPECT_EQ(failure, "cannot create " + dir.file("file/sub") + ": " + std::strerror(ENOTDIR));
}

// Saves that were killed half-way leave temporaries (".Scripts.dat.XXXXXX"):
// those older than any save in progress go at the next start, nothing else.
TEST_F(StoreFiles, OnlyOldTemporariesOfKilledSavesAreRemovedAtStart) {
    const auto aMinuteAgo = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    for (const char* leaf : {".Scripts.dat.a1b2c3", ".Scripts.ini.x9y8z7", "holiday-photos.jpeg", ".Scripts.dat.old",
                             ".Scripts.dat.fresh1"})
        writeAll(dir.file(leaf), "x");
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
    writeAll(target, "n~" + std::string(64 * 1024 - 1, 'c')); // the copy's last read takes 1 byte
    fs::create_symlink(target, dat());
    General g;
    store.read(g);
    EXPECT_TRUE(store.write(g).empty());
    EXPECT_EQ(fs::file_size(dat() + ".bak"), 64 * 1024 + 1);
    EXPECT_EQ(readAll(target).substr(0, 2), "n ");
    fs::remove_all(folder);
}
