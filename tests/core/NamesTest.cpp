// Task texts in any language: the task list keeps Windows-1252 lines byte for
// byte and writes a line that needs more as UTF-8; widths count characters.
#include <gtest/gtest.h>

#include "model/General.h"
#include "store/FileNames.h"
#include "store/RunState.h"
#include "store/TaskStore.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;

namespace {
const std::string kCafe = "Caf\xC3\xA9?";                                       // Café?
const std::string kMixed = "Caf\xC3\xA9 \xE2\x9C\x93 \xD0\x9F\xD1\x80\xD0\xB8"; // Café ✓ При
const std::string kLooksUtf8 = "\xC3\x83\xC2\xA9";                              // Ã© (C3 A9 in Windows-1252)
const std::string kCyrillic21 = [] {
    std::string s;
    for (int i = 0; i < 21; ++i) s += "\xD0\xB6"; // ж
    return s;
}();
} // namespace

TEST(TaskTexts, WidthsCountCharactersAndNeverCutInsideOne) {
    FixedText<20> name(kCyrillic21);
    EXPECT_EQ(name.shown(), kCyrillic21.substr(0, 40));
    EXPECT_EQ(FixedText<20>(kCafe).str(), kCafe + std::string(15, ' '));
}

TEST(TaskTexts, MixedLinesRoundTripByteForByte) {
    TempFolder dir;
    General g;
    for (const std::string& name : {kCafe, kMixed, kLooksUtf8}) g.slot(g.append()).Name = name;
    ASSERT_TRUE(TaskStore(dir.path()).write(g).empty());
    const std::string bytes = readAll(dir.file(file_names::kTaskFile));
    EXPECT_NE(bytes.find("Caf\xE9?" + std::string(15, ' ') + "~"), std::string::npos) << "Windows-1252 line";
    EXPECT_NE(bytes.find(kMixed + std::string(10, ' ') + "~"), std::string::npos) << "UTF-8 line";
    EXPECT_NE(bytes.find(kLooksUtf8 + std::string(18, ' ') + "~"), std::string::npos) << "ambiguous line";

    General back;
    TaskStore(dir.path()).read(back);
    ASSERT_EQ(back.TaskCount, 3);
    EXPECT_EQ(back.slot(2).Name.shown(), kMixed);
    EXPECT_EQ(back.slot(3).Name.shown(), kLooksUtf8);
    ASSERT_TRUE(TaskStore(dir.path()).write(back).empty());
    EXPECT_EQ(readAll(dir.file(file_names::kTaskFile)), bytes);
}

// The state file's keys hash the bytes the task list holds, so a task whose
// texts were always Windows-1252 keeps its last start.
TEST(TaskTexts, StateKeysOfWindows1252TasksStayAsTheyWere) {
    TempFolder dir;
    const std::string path = dir.file(file_names::kStateFile);
    General g;
    TaskRecord& t = g.slot(g.append());
    t.Name = "Caf\xC3\xA9";
    t.ScriptFile = "caf\xC3\xA9.wdx";
    t.Interval = 1;
    t.TimeHour = 2;
    t.TimeMinute = 30;
    writeAll(path, "alive 100\r\ntask f49e40e859175ac3-1 5000\r\n");
    std::string problem;
    run_state::load(path, g, problem);
    EXPECT_EQ(t.LastStartUtc, 5000);
}
