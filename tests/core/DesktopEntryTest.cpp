// Desktop entries: the escapes of string values, the quoting of the Exec
// command line, text that no entry can hold, and the file as the desktop's
// validator sees it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "store/DesktopEntry.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;
namespace fs = std::filesystem;

namespace {
struct Case {
    std::string in, out;
};

DesktopEntry startEntry(const std::string& program) {
    DesktopEntry e;
    e.set("Type", "Application").set("Name", "Wendrel").setExec({program}).set("Terminal", "false");
    return e;
}
} // namespace

TEST(DesktopEntry, StringValuesEscapeBackslashLineBreaksTabsAndALeadingBlank) {
    for (const Case& c : {Case{"a\\b", "a\\\\b"}, Case{"a\nb", "a\\nb"}, Case{"a\tb", "a\\tb"}, Case{"a\rb", "a\\rb"},
                          Case{" a b ", "\\sa b "}, Case{"Utility;", "Utility;"}})
        EXPECT_EQ(DesktopEntry::escapeValue(c.in), c.out) << c.in;
    // Read back in one pass: an escaped backslash before an "s" is no blank.
    EXPECT_EQ(DesktopEntry::unescapeValue("\\sa\\\\sb\\n\\x"), " a\\sb\n\\x");
}

TEST(DesktopEntry, ExecArgumentsAreQuotedOnlyWhenTheyHoldAReservedCharacter) {
    for (const Case& c : {Case{"/usr/bin/wendrel", "/usr/bin/wendrel"}, Case{"/opt/50%/w", "/opt/50%%/w"},
                          Case{"/opt/My Apps/w", "\"/opt/My Apps/w\""}, Case{"a\"b", "\"a\\\"b\""},
                          Case{"a`b", "\"a\\`b\""}, Case{"a$b", "\"a\\$b\""}, Case{"a\\b", "\"a\\\\b\""},
                          Case{"a'b~", "\"a'b~\""}, Case{"a b%", "\"a b%%\""}, Case{"", "\"\""}})
        EXPECT_EQ(DesktopEntry::quoteArgument(c.in), c.out) << c.in;
}

// A folder named with a line feed, a tab, a backslash, a double quote, a
// blank and a per cent sign: the quoted argument is escaped once more as a
// string, so its backslash is written four times.
TEST(DesktopEntry, AnAwkwardFolderNameGivesOneValidExecLineAndNoTemporary) {
    TempFolder dir;
    const std::string path = dir.file("wendrel.desktop");
    writeAll(path, "old");
    EXPECT_EQ(startEntry("/opt/a\nb\tc\\d\"e f%g/Wendrel").write(path), "");
    const std::string text = readAll(path);
    const std::string exec = R"(Exec="/opt/a\nb\tc\\\\d\\"e f%%g/Wendrel")";
    EXPECT_NE(text.find("\n" + exec + "\n"), std::string::npos) << text;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    ASSERT_EQ(std::system("command -v desktop-file-validate >/dev/null"), 0) << "scripts/deps installs it";
    EXPECT_EQ(std::system(("desktop-file-validate '" + path + "'").c_str()), 0) << text;
}

TEST(DesktopEntry, TextNoEntryCanHoldIsRefusedWithTheReasonAndNothingWritten) {
    TempFolder dir;
    const std::string path = dir.file("wendrel.desktop");
    EXPECT_EQ(startEntry("/opt/x\xff/Wendrel").write(path),
              "\"/opt/x\\xFF/Wendrel\" is not valid UTF-8, which a desktop entry cannot hold");
    EXPECT_EQ(startEntry("/opt/x\x01/Wendrel").write(path),
              "\"/opt/x\\x01/Wendrel\" holds a control character, which a desktop entry cannot hold");
    EXPECT_NE(DesktopEntry().set("Name", "caf\xe9").write(path), "");
    EXPECT_FALSE(fs::exists(path));
}
