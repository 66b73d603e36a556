// RunScript against fakes: the four command groups, the cuts of a line, the
// program start's comma rule and wait flag, encodings and line ends, files
// that are not scripts or are huge; the engine's waits; the events a run
// records in the history, also of a run by hand.
#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "scheduler/Scheduler.h"
#include "store/RunLogFile.h"
#include "script/ScriptEngine.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;
using Texts = std::vector<std::string>;

// The keys of one chunk of typing.
const std::string kChunk(ScriptEngine::kTypingChunkStrokes, 'x');

namespace {
struct Rig : FakeDesktop {
    TempFolder dir;
    General g;
    RunLogFile log{dir.path()};
    ScriptEngine engine{g, dir.path(), environment()};
    Scheduler scheduler{g, clock, [this](int i) { engine.RunScript(i); }};

    // Task 1, "Backup", runs t.wdx, and the runs are recorded in the history.
    Rig() {
        engine.setRunLog(&log);
        g.slot(g.append()).Name = "Backup";
        g.slot(1).ScriptFile = "t.wdx";
    }
    // Runs task 1 from the script file name and returns its Running after.
    int runFile(const std::string& name) {
        g.slot(1).ScriptFile = name;
        g.slot(1).Running = 1;
        engine.RunScript(1);
        return g.slot(1).Running;
    }
    int run(const std::string& bytes) {
        writeAll(dir.file("t.wdx"), bytes);
        return runFile("t.wdx");
    }
    // Runs the script and returns the seconds it took.
    double timed(const std::string& bytes) {
        const double start = clock.mono;
        run(bytes);
        return clock.mono - start;
    }
    // The event texts of the history, oldest first.
    Texts events() {
        Texts out;
        for (const RunLogEntry& e : RunLogFile::readAll(dir.path())) out.push_back(e.what);
        return out;
    }
};
} // namespace

// Under a Turkish locale the C library upper-cases "i" to a dotted capital
// I, not to "I": keywords and key names must fold case the same anyway. A
// system without that locale gets one built for the test alone.
TEST(ScriptRun, KeywordsAndKeyNamesFoldCaseTheSameUnderATurkishLocale) {
    const std::string before = setlocale(LC_ALL, nullptr);
    TempFolder locales;
    if (!setlocale(LC_ALL, "tr_TR.UTF-8")) {
        const std::string build = "localedef -i tr_TR -f UTF-8 " + locales.file("tr_TR.UTF-8") + " >/dev/null 2>&1";
        if (std::system(build.c_str()) != 0) GTEST_SKIP() << "no tr_TR.UTF-8 locale, and localedef cannot build it";
        setenv("LOCPATH", locales.path().c_str(), 1);
    }
    const bool turkish = setlocale(LC_ALL, "tr_TR.UTF-8") != nullptr;
    Rig r;
    const double waited = turkish ? r.timed("wait 2\r\nWait 1\r\nTYPE {right}\r\n") : 0;
    unsetenv("LOCPATH");
    setlocale(LC_ALL, before.c_str());
    ASSERT_TRUE(turkish);
    EXPECT_NEAR(waited, 3.0, 0.1);
    EXPECT_EQ(r.keys.sent, (Texts{"{Right}"}));
}

TEST(ScriptRun, AFailedStartIsSilentKeepsTheOldTaskIdAndItsWaitLastsOneSecond) {
    Rig r;
    r.g.slot(1).ProcessId = 7;
    r.launcher.fail = true;
    r.launcher.runsFor[1] = 1000; // another program's id (1 is init's pid): not waited for
    EXPECT_NEAR(r.timed("EXEC /no/such/program --flag\r\nRUN /no/such/other,1\r\nRUN /no/such/other,0\r\nTYPE x\r\n"),
                1.0, 0.1);
    EXPECT_EQ(r.g.slot(1).ProcessId, 7);
    EXPECT_EQ(r.activator.activated.back(), 7);
    EXPECT_EQ(r.keys.sent, (Texts{"x"}));
    EXPECT_TRUE(r.messages.shown.empty());
    EXPECT_EQ(r.events(),
              (Texts{"started", "program not found: /no/such/program --flag", "program not found: /no/such/other",
                     "program not found: /no/such/other", "finished"}));
}

// Keys right after a start wait for the program's window until the program
// has ended without one, or for ten seconds at most.
TEST(ScriptRun, KeysAfterAStartWaitUntilTheProgramEndsOrTenSeconds) {
    for (auto [runs, wait, within] : {std::tuple{0, 2.0, 1.0}, {1000, 10.1, 0.2}}) {
        Rig r;
        r.launcher.runsFor[100] = runs;
        EXPECT_NEAR(r.timed("EXEC prog\r\nTYPE " + kChunk + "y\r\n"), wait, within) << runs;
        EXPECT_EQ(r.keys.sent, (Texts{kChunk, "y"})) << "the keys go out even without a window";
    }
}

// A long text goes out in chunks with events processed between two of them;
// the rest is dropped when one of our windows comes forward or the program's
// window goes.
TEST(ScriptRun, KeysGoOutInChunksWithEventsBetweenAndNeverToOurOwnWindow) {
    const std::string line = "TYPE " + kChunk + kChunk.substr(1) + "{ENTER}\r\n"; // two whole chunks
    Rig r;
    EXPECT_LT(r.timed(line), 0.01) << "between two chunks only the pending events are processed";
    EXPECT_EQ(r.keys.sent, (Texts{kChunk, kChunk.substr(1) + "{Return}"}));
    EXPECT_EQ(r.pump.passes, 1);

    Rig ours;
    ours.activator.ourWindowActive = true;
    ours.run("TYPE {ENTER}\r\n");
    EXPECT_TRUE(ours.keys.sent.empty());
    // One of our windows comes forward during the pass of events.
    ours.activator.ourWindowActive = false;
    ours.pump.onPass = [&] { ours.activator.ourWindowActive = true; };
    ours.run(line);
    EXPECT_EQ(ours.keys.sent.size(), 1u);

    Rig gone; // the program's window is there for the first chunk only
    gone.activator.windowsLeft[100] = 1;
    gone.run("EXEC prog\r\n" + line);
    EXPECT_EQ(gone.keys.sent.size(), 1u);
}

// No key goes out while the session is locked: the TYPE waits until the
// unlock, then brings the program's window back and types in full. The lock
// may also come between two chunks; leaving ends the hold at once.
TEST(ScriptRun, TypingWaitsWhileTheSessionIsLocked) {
    Rig r;
    r.sessionLock.on = true;
    r.activator.windowsLeft[100] = 1000;
    bool keysWhileLocked = false;
    r.pump.onPass = [&] {
        keysWhileLocked |= r.sessionLock.on && !r.keys.sent.empty();
        if (r.clock.mono >= 1030) r.sessionLock.on = false; // half a minute in
    };
    r.run("EXEC prog\r\nTYPE abc\r\n");
    EXPECT_FALSE(keysWhileLocked);
    EXPECT_EQ(r.keys.sent, (Texts{"abc"}));
    EXPECT_EQ(r.activator.activated.size(), 2u) << "the window is brought back after the unlock";
    EXPECT_EQ(r.events(), (Texts{"started", "program started: prog (pid 100)", "typing held: the screen is locked",
                                 "typing resumed: the screen is unlocked", "finished"}));

    Rig between; // locked while the first chunk's events are processed
    between.pump.onPass = [&] { between.sessionLock.on = between.pump.passes == 1; };
    between.run("TYPE " + kChunk + kChunk + "\r\n");
    EXPECT_EQ(between.keys.sent, (Texts{kChunk, kChunk}));
    EXPECT_EQ(between.pump.passes, 2);

    Rig leaving;
    leaving.sessionLock.on = true;
    leaving.pump.onPass = [&] { leaving.engine.requestStop(); };
    leaving.run("TYPE abc\r\n");
    EXPECT_TRUE(leaving.keys.sent.empty());
}

// What the desktop could not type is named in the history, never dropped
// silently: characters the layout lacks, and the rest of a line whose typing
// the user stopped; the next line types again.
TEST(ScriptRun, KeysThatCouldNotBeTypedAreNamedInTheHistory) {
    Rig r;
    r.keys.cannotType = U"\u00e9\u20ac";
    r.keys.endInCall = 2;
    r.run("TYPE a\xC3\xA9{TAB}\xE2\x82\xAC\r\nTYPE " + kChunk + "yz{ENTER}\r\nTYPE b\r\n");
    EXPECT_EQ(r.keys.sent, (Texts{"a{Tab}", "", "b"}));
    EXPECT_EQ(r.events(), (Texts{"started", "could not type: \xC3\xA9\xE2\x82\xAC",
                                 "could not type: " + kChunk + "yz{Return}", "finished"}));
}

TEST(ScriptRun, MissingFilesNamesOutsideTheFolderAndFilesThatAreNoScripts) {
    Rig r;
    EXPECT_EQ(r.runFile("gone.wdx   "), 0) << "the run has ended";
    ASSERT_EQ(r.messages.shown.size(), 1u);
    EXPECT_EQ(r.messages.shown[0].text,
              "Script File does not exist. Task Aborted\n\nTask: Backup\nScript file: " + r.dir.file("gone.wdx"));
    EXPECT_EQ(r.messages.shown[0].caption, "Script File Missing.");
    EXPECT_EQ(r.events(), (Texts{"started", "script missing"}));

    // Names that lead out of the folder are refused in the same way, saying
    // why, although the files exist: the engine's folder is "in".
    std::filesystem::create_directories(r.dir.file("in/sub"));
    for (const char* file : {"x.wdx", "in/sub/b.wdx"}) writeAll(r.dir.file(file), "EXEC escaped\r\n");
    ScriptEngine inner(r.g, r.dir.file("in"), r.environment());
    inner.setRunLog(&r.log);
    for (const char* name : {"../x.wdx", "sub/b.wdx", ".."}) {
        r.g.slot(1).ScriptFile = name;
        inner.RunScript(1);
        EXPECT_NE(r.messages.shown.back().text.find(name), std::string::npos) << r.messages.shown.back().text;
    }
    EXPECT_TRUE(r.g.slot(1).ScriptMissing);
    EXPECT_TRUE(r.launcher.started.empty());
    EXPECT_EQ(r.events().back(), "script missing");
    std::filesystem::create_directory(r.dir.file("dir.wdx"));
    r.runFile("dir.wdx");
    EXPECT_EQ(r.events().rbegin()[1], "script unreadable") << "a folder in the script's place";
}

// Scripts from any editor: UTF-8 or Windows-1252 (decided line by line), and
// lines ended by CR LF, CR or LF alone; a code-0 byte ends its line.
TEST(ScriptRun, EncodingsAndLineEndsOfEveryEditor) {
    using namespace std::string_literals;
    Rig r;
    r.run("EXEC caf\xC3\xA9 \xE2\x82\xAC\n" // UTF-8, LF
          "EXEC caf\xE9 \x80\r"             // Windows-1252, CR
          "TYPE na\xC3\xAFve\r\n"           // UTF-8, CR LF
          "MSG \xC3\xA9t\xC3\xA9 \xE9\n"    // not valid UTF-8 as a whole: Windows-1252
          "MSG end\0EXEC hidden\n"
          "MSG last"s);
    const std::string cafe = "caf\xC3\xA9 \xE2\x82\xAC";
    EXPECT_EQ(r.launcher.started, (Texts{cafe, cafe}));
    EXPECT_EQ(r.keys.sent, (Texts{"na\xC3\xAFve"}));
    EXPECT_EQ(r.messages.texts(), (Texts{"\xC3\x83\xC2\xA9t\xC3\x83\xC2\xA9 \xC3\xA9", "end", "last"}));
    EXPECT_EQ(r.messages.shown.at(0).caption, "Wendrel 1.00");
}

// A process id used again soon after counts from its new start: a program
// that ends at once is still looked for a little longer.
TEST(ScriptWait, AProcessIdUsedAgainCountsFromItsNewStart) {
    Rig r;
    r.run("EXEC first\r\nWAIT 5\r\n");
    r.launcher.nextId = 100;
    EXPECT_GT(r.timed("RUN again,1\r\n"), 1.5);
}

// A run by hand ignores Active; an empty slot runs nothing.
TEST(RunLog, ARunByHandRecordsItsProgramsAndWaits) {
    Rig r;
    writeAll(r.dir.file("t.wdx"), "EXEC editor notes.txt\r\nRUN backup --all,1\r\n");
    r.g.slot(1).Active = 0;
    EXPECT_TRUE(r.scheduler.runNow(1));
    EXPECT_FALSE(r.scheduler.runNow(2));
    EXPECT_FALSE(r.scheduler.runNow(0));
    EXPECT_EQ(r.events(), (Texts{"started", "program started: editor notes.txt (pid 100)",
                                 "program started: backup --all (pid 101)", "waiting for pid 101 to end",
                                 "pid 101 ended, exit status unknown", "finished"}));
    EXPECT_EQ(RunLogFile::readAll(r.dir.path()).front(),
              (RunLogEntry{"2026-12-06 09:30:00", "Backup", "t.wdx", "started"}));
}

// A wait for a program goes on while its window is there, even when its
// process has gone; an unexpected failure while waiting is told in a box.
TEST(ScriptWait, WaitForCompletionLastsWhileTheWindowIsThereAndShowsAFailure) {
    Rig r;
    r.activator.windowsLeft[42] = 3;
    r.engine.WaitForCompletion(42);
    EXPECT_EQ(r.activator.activated.size(), 4u);
    r.activator.failWith = "Access denied";
    r.engine.WaitForCompletion(7);
    ASSERT_EQ(r.messages.shown.size(), 1u);
    EXPECT_EQ(r.messages.shown[0].text, "Access denied");
    EXPECT_EQ(r.messages.shown[0].caption, "Sub WaitForCompletion");
}

TEST(HostileScriptInput, AHugeScriptRunsToItsEndInBoundedTimeAndMemory) {
    Rig r;
    // 100 MB of code-0 bytes without a line end (a sparse file).
    writeAll(r.dir.file("huge.wdx"), "");
    std::filesystem::resize_file(r.dir.file("huge.wdx"), 100u << 20);
    const long before = peakKilobytes();
    const auto t0 = std::chrono::steady_clock::now();
    const double start = r.clock.mono;
    EXPECT_EQ(r.runFile("huge.wdx"), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));
    EXPECT_LT(peakKilobytes() - before, 300 * 1024) << "kilobytes";
    // The user interface is served while the file is read: some hundreds of
    // times for 100 MB, not once at the end, and without waiting.
    EXPECT_GE(r.pump.passes, 100);
    EXPECT_LT(r.clock.mono - start, 1.0);
}

// Each keyword once, in some case, and lines that only look like commands;
// keys that do not follow the notation type nothing at all. A MSG line shows
// the rest of the line after the keyword and one blank. A wait reads the
// number its second word begins with.
TEST(ScriptRun, EveryKeywordOfEveryGroup) {
    const std::tuple<const char*, std::size_t, std::size_t, const char*, double> cases[] =
        {{"exec p", 1, 0, nullptr, 0},     {"Run p", 1, 0, nullptr, 0},     {"EX p", 1, 0, nullptr, 0},
         {"eXeCuTe p", 1, 0, nullptr, 0},  {"send k", 0, 1, nullptr, 0},    {"Type k", 0, 1, nullptr, 0},
         {"KEY k", 0, 1, nullptr, 0},      {"TYPE", 0, 0, nullptr, 0},      {"TYPE ok{ENTER", 0, 0, nullptr, 0},
         {"wait 2", 0, 0, nullptr, 2},     {"Pause 2", 0, 0, nullptr, 2},   {"SLEEP 2", 0, 0, nullptr, 2},
         {"message m", 0, 0, "m", 0},      {"Msg  m n", 0, 0, " m n", 0},   {"MSGBOX m", 0, 0, "m", 0},
         {"MSG", 0, 0, nullptr, 0},        {"MSG ", 0, 0, "", 0},           {"EXECUTES p", 0, 0, nullptr, 0},
         {" WAIT 2", 0, 0, nullptr, 0},    {"'MSG m", 0, 0, nullptr, 0},    {"SLEEPY 2", 0, 0, nullptr, 0},
         {"SLEEP soon", 0, 0, nullptr, 0}, {"PAUSE 3 4", 0, 0, nullptr, 3}, {"WAIT -4", 0, 0, nullptr, 0},
         {"WAIT .5", 0, 0, nullptr, 0.5},  {"MSG\tm", 0, 0, nullptr, 0}};
    for (auto [line, starts, typed, shown, wait] : cases) {
        Rig r;
        EXPECT_NEAR(r.timed(line), wait, 0.06) << line;
        EXPECT_EQ(r.launcher.started.size(), starts) << line;
        EXPECT_EQ(r.keys.sent.size(), typed) << line;
        EXPECT_EQ(r.messages.texts(), shown ? Texts{shown} : Texts{}) << line;
    }
}

// The first comma ends the command line, and only a 1 right after it waits
// (here for a program that shows no window and has ended: about two seconds).
TEST(ScriptRun, TheFirstCommaOfAStartLineDecides) {
    const std::tuple<const char*, const char*, bool> cases[] = {{"RUN a b,1", "a b", true}, {"RUN a,0,1", "a", false},
                                                                {"RUN a,12", "a", true},    {"RUN a, 1", "a", false},
                                                                {"RUN a,", "a", false},     {"RUN a,1,0", "a", true},
                                                                {"RUN ,1", "", false},      {"RUN,1 a", "", false}};
    for (auto [line, command, waits] : cases) {
        Rig r;
        EXPECT_EQ(r.timed(line) > 1, waits) << line;
        EXPECT_EQ(r.launcher.started, *command ? Texts{command} : Texts{}) << line;
    }
}

// Without waiting: the events pending are processed, no more.
TEST(ScriptWait, AWaitOfNoTimeStillLetsEventsRunOnceANegativeOneNot) {
    for (auto [line, passes] : {std::pair{"WAIT 0", 1}, {"WAIT", 1}, {"WAIT -1", 0}}) {
        Rig r;
        EXPECT_LT(r.timed(line), 0.01) << line;
        EXPECT_EQ(r.pump.passes, passes) << line;
    }
}
