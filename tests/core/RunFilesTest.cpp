// The files of the runs: the history's lines (Wendrel.log) and the
// tasks' last starts (Scripts.state); and desktop entries.
#include <gtest/gtest.h>

#include <filesystem>

#include "model/General.h"
#include "store/DesktopEntry.h"
#include "store/FileNames.h"
#include "store/RunLogFile.h"
#include "store/RunState.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;
namespace fs = std::filesystem;

TEST(RunLogFile, EachEventStaysOneLineOfFourFields) {
    RunEvent e{{2026, 12, 7, 9, 30, 5}, RunEventKind::ProgramStarted, "Tab\there\r\nand line", "s.wdx", {}, {}, {}};
    e.command = "y" + std::string(599, 'x') + "\xc3\xa9";
    e.pid = 7;
    const std::string line = formatRunEvent(e);
    const auto back = parseRunLogLine(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->task, "Tab here  and line");
    EXPECT_EQ(back->what, "program started: y" + std::string(499, 'x') + "... (pid 7)");
    e.command = std::string(500, 'x');
    EXPECT_EQ(parseRunLogLine(formatRunEvent(e))->what, "program started: " + e.command + " (pid 7)");
    const RunEvent noScript{{2026, 12, 7, 9, 30, 5}, RunEventKind::Started, "T", "", {}, {}, {}};
    EXPECT_TRUE(parseRunLogLine(formatRunEvent(noScript))) << "a task without a script";
    EXPECT_FALSE(parseRunLogLine("x026-12-07 09:30:05\tT\ts.wdx\tstarted"));
    EXPECT_FALSE(parseRunLogLine("2026-12-07 09:30:05\ttorn"));
}

// The history is rotated when the next line would take it past its limit,
// never when it is empty.
TEST(RunLogFile, AHistoryIsRotatedOnlyWhenTheNextLineWouldPassTheLimit) {
    TempFolder dir;
    const RunEvent e{{2026, 12, 7, 9, 30, 5}, RunEventKind::Started, "T", "", {}, {}, {}};
    const std::size_t lineBytes = formatRunEvent(e).size() + 1;
    writeAll(dir.file(file_names::kOldLogFile), "older events\n");
    writeAll(dir.file(file_names::kLogFile), "");
    RunLogFile(dir.path(), 10).add(e);
    RunLogFile twoLines(dir.path(), 2 * lineBytes);
    twoLines.add(e);
    EXPECT_EQ(readAll(dir.file(file_names::kOldLogFile)), "older events\n");
    twoLines.add(e);
    EXPECT_EQ(readAll(dir.file(file_names::kOldLogFile)).size(), 2 * lineBytes);
    EXPECT_EQ(RunLogFile::readAll(dir.path()).size(), 3u) << "read back from both files";
}

namespace {
// A Daily task at 2:30.
void addDaily(General& g, const std::string& name, const std::string& script) {
    TaskRecord& t = g.slot(g.append());
    t.Name = name;
    t.ScriptFile = script;
    t.Interval = 1;
    t.TimeHour = 2;
    t.TimeMinute = 30;
}
} // namespace

// Two equal Daily tasks: the keys tell them apart by their place. Keys hash
// the bytes the task list holds, so a task whose texts were always
// Windows-1252 keeps its last start. Keys as earlier versions wrote them (an
// offset basis one digit short) still give the tasks their last starts; the
// next save writes the right keys only.
TEST(RunStateFile, KeysOfEarlierVersionsAreReadAndOnlyTheRightOnesWritten) {
    TempFolder dir;
    const std::string path = dir.file(file_names::kStateFile);
    General g;
    addDaily(g, "Backup", "backup.wdx");
    addDaily(g, "Backup", "backup.wdx");
    addDaily(g, "Caf\xC3\xA9", "caf\xC3\xA9.wdx");
    writeAll(path, "alive 100\r\ntask 80602159b68df9f7-1 5000\r\ntask 80602159b68df9f7-2 6000\r\n"
                   "task f49e40e859175ac3-1 7000\r\n");
    std::string problem;
    EXPECT_EQ(run_state::load(path, g, problem), 100);
    EXPECT_EQ(g.slot(1).LastStartUtc, 5000);
    EXPECT_EQ(g.slot(2).LastStartUtc, 6000);
    EXPECT_EQ(g.slot(3).LastStartUtc, 7000);
    EXPECT_EQ(run_state::save(path, g, 200), "");
    EXPECT_EQ(readAll(path), "alive 200\r\ntask c224ba697a7e50ad-1 5000\r\ntask c224ba697a7e50ad-2 6000\r\n"
                             "task f49e40e859175ac3-1 7000\r\n");
}

// The instants the file can hold run from 1970 to 9999 (UTC). Anything else,
// as a damaged or hand-made file may hold it, is passed over: taken as it is
// it would overflow the date arithmetic of the catch-up.
TEST(RunStateFile, OnlyInstantsFrom1970To9999AreRead) {
    TempFolder dir;
    const std::string path = dir.file(file_names::kStateFile);
    for (const std::string seconds :
         {"0", "253402300799", "-1", "253402300800", "-9223372036854775808", "99999999999999999999", "x", "1 2"}) {
        const bool valid = seconds == "0" || seconds == "253402300799";
        General g;
        addDaily(g, "Backup", "backup.wdx");
        writeAll(path, "alive " + seconds + "\r\ntask c224ba697a7e50ad-1 " + seconds + "\r\n");
        std::string problem;
        EXPECT_EQ(run_state::load(path, g, problem).has_value(), valid) << "alive " << seconds;
        EXPECT_EQ(g.slot(1).LastStartUtc.has_value(), valid) << "task " << seconds;
    }
}

namespace {
DesktopEntry startEntry(const std::string& program) {
    DesktopEntry e;
    e.set("Type", "Application").set("Name", "Wendrel").setExec({program}).set("Terminal", "false");
    return e;
}
} // namespace

TEST(DesktopEntry, StringValuesAndExecArgumentsAreEscaped) {
    // Backslash, line breaks, tabs and a leading blank.
    const std::pair<const char*, const char*> values[] = {{"a\\b", "a\\\\b"},   {"a\nb", "a\\nb"},
                                                          {"a\tb", "a\\tb"},    {"a\rb", "a\\rb"},
                                                          {" a b ", "\\sa b "}, {"Utility;", "Utility;"}};
    for (auto [in, out] : values) EXPECT_EQ(DesktopEntry::escapeValue(in), out) << in;
    // Read back in one pass: an escaped backslash before an "s" is no blank.
    EXPECT_EQ(DesktopEntry::unescapeValue("\\sa\\\\sb\\x\\t"), " a\\sb\\x\t");
    // An argument is quoted only when it holds a reserved character.
    const std::pair<const char*, const char*> arguments[] = {{"/usr/bin/wendrel", "/usr/bin/wendrel"},
                                                             {"/opt/50%/w", "/opt/50%%/w"},
                                                             {"/opt/My Apps/w", "\"/opt/My Apps/w\""},
                                                             {"a\"b", "\"a\\\"b\""},
                                                             {"a`b", "\"a\\`b\""},
                                                             {"a$b", "\"a\\$b\""},
                                                             {"a\\b", "\"a\\\\b\""},
                                                             {"a'b~", "\"a'b~\""},
                                                             {"a b%", "\"a b%%\""},
                                                             {"", "\"\""}};
    for (auto [in, out] : arguments) EXPECT_EQ(DesktopEntry::quoteArgument(in), out) << in;
}

// A written entry: the quoted Exec argument is escaped once more as a string,
// so its backslash is written four times. Text that no entry can hold is
// refused with the reason, and nothing is written.
TEST(DesktopEntry, AnEntryIsWrittenWithItsExecLineOrRefusedWithTheReason) {
    TempFolder dir;
    const std::string path = dir.file("wendrel.desktop");
    EXPECT_EQ(startEntry("/opt/x\xff/Wendrel").write(path),
              "\"/opt/x\\xFF/Wendrel\" is not valid UTF-8, which a desktop entry cannot hold");
    EXPECT_EQ(startEntry("/opt/x\x01/Wendrel").write(path),
              "\"/opt/x\\x01/Wendrel\" holds a control character, which a desktop entry cannot hold");
    EXPECT_NE(DesktopEntry().set("Name", "caf\xe9").write(path), "");
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(startEntry("/opt/a\\b c/Wendrel").write(path), "");
    const std::string exec = R"(Exec="/opt/a\\\\b c/Wendrel")";
    EXPECT_EQ(readAll(path), "[Desktop Entry]\nType=Application\nName=Wendrel\n" + exec + "\nTerminal=false\n");
}
