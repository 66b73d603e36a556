// RunScript against fakes: the four command groups, the cuts of a line, the
// program start's comma rule and wait flag, and files that are not scripts.
#include <gtest/gtest.h>

#include "script/ScriptEngine.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

namespace {
struct Rig : FakeDesktop {
    TempFolder dir;
    General g;
    ScriptEngine engine{g, dir.path(), environment()};

    // Runs a script with these bytes as task 1 and returns its Running after.
    int run(const std::string& bytes, const std::string& name = "t.wdx") {
        writeAll(dir.file(name), bytes);
        if (g.TaskCount == 0) g.append();
        g.slot(1).ScriptFile = name;
        g.slot(1).Running = 1;
        engine.RunScript(1);
        return g.slot(1).Running;
    }
};
} // namespace

TEST(ScriptRun, KeywordsOfEachGroupInAnyCase) {
    Rig r;
    EXPECT_EQ(r.run("exec prog1\r\nRun prog2\r\nEX prog3\r\neXeCuTe prog4\r\n"
                    "send a\r\nType b{ENTER}\r\nKEY c\r\n"
                    "msg hello world\r\nMESSAGE m2\r\nMsgBox m3\r\n"
                    "' comment line\r\n\r\n WAIT 5\r\nUNKNOWN x\r\n"),
              0);
    EXPECT_EQ(r.launcher.started, (std::vector<std::string>{"prog1", "prog2", "prog3", "prog4"}));
    EXPECT_EQ(r.keys.sent, (std::vector<std::string>{"a", "b{ENTER}", "c"}));
    ASSERT_EQ(r.messages.shown.size(), 3u);
    EXPECT_EQ(r.messages.shown[0].text, "hello world");
    EXPECT_EQ(r.messages.shown[0].caption, "Wendrel 1.00");
    EXPECT_EQ(r.pump.passes, 0);  // " WAIT 5" has an empty keyword
    // Keystrokes go to the program the task started last.
    EXPECT_EQ(r.activator.activated, (std::vector<double>{103, 103, 103}));
    EXPECT_EQ(r.g.slot(1).ProcessId, 103);
}

TEST(ScriptRun, RestArgumentAndTheCommaRule) {
    Rig r;
    r.run("EXEC  lead\r\nEXEC prog a,b\r\nRUN waiter,1\r\nEXEC after\r\nMSG\r\nMSG  word\r\nTYPE\r\n");
    EXPECT_EQ(r.launcher.started, (std::vector<std::string>{" lead", "prog a", "waiter", "after"}));
    // Only ",1" waits: the wait activates the program it started until its window is gone.
    EXPECT_EQ(r.activator.activated.front(), 102);
    ASSERT_EQ(r.messages.shown.size(), 1u);  // MSG alone shows nothing
    EXPECT_EQ(r.messages.shown[0].text, " word");
    EXPECT_TRUE(r.keys.sent.empty());
}

TEST(ScriptRun, WaitReadsTheNumberTheSecondWordBeginsWith) {
    for (auto [line, seconds] : {std::pair{"WAIT", 0.0}, {"WAIT soon", 0.0}, {"WAIT 2.5", 2.5},
                                 {"PAUSE 3 4", 3.0} /* not "34" */, {"SLEEP 1x", 1.0}, {"WAIT -4", 0.0}}) {
        Rig r;
        const double start = r.clock.mono;
        r.run(line);
        EXPECT_NEAR(r.clock.mono - start, seconds, 0.06) << line;
    }
}

TEST(ScriptRun, AFailedStartIsSilentKeepsTheOldTaskIdAndDoesNotWait) {
    Rig r;
    r.g.append();
    r.g.slot(1).ProcessId = 7;
    r.launcher.fail = true;
    EXPECT_EQ(r.run("EXEC /no/such/program --flag\r\nRUN /no/such/other,1\r\nTYPE x\r\n"), 0);
    EXPECT_EQ(r.g.slot(1).ProcessId, 7);
    EXPECT_EQ(r.activator.activated, (std::vector<double>{7}));
    EXPECT_EQ(r.keys.sent, (std::vector<std::string>{"x"}));
    EXPECT_TRUE(r.messages.shown.empty());
}

TEST(ScriptRun, MissingFileAndFilesThatAreNoScripts) {
    Rig r;
    r.g.append();
    r.g.slot(1).ScriptFile = "gone.wdx   ";
    r.g.slot(1).Running = 1;
    r.engine.RunScript(1);
    ASSERT_EQ(r.messages.shown.size(), 1u);
    EXPECT_EQ(r.messages.shown[0].text, "Script File does not exist. Task Aborted");
    EXPECT_EQ(r.messages.shown[0].caption, "Script File Missing.");
    EXPECT_EQ(r.messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(r.g.slot(1).Running, 1);

    // An empty name leaves the program's folder as the path: the run ends.
    r.g.slot(1).ScriptFile = "";
    r.engine.RunScript(1);
    EXPECT_EQ(r.g.slot(1).Running, 0);
    EXPECT_EQ(r.messages.shown.size(), 1u);

    // Windows-1252 text reaches the message box as UTF-8.
    r.run("MSG caf\xE9 \x80");
    EXPECT_EQ(r.messages.shown.back().text, "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(ScriptRun, NestedRunsReadTheirOwnFiles) {
    Rig r;
    writeAll(r.dir.file("inner.wdx"), "MSG inner1\r\nMSG inner2\r\n");
    r.g.append();
    r.g.append();
    r.g.slot(2).ScriptFile = "inner.wdx";
    bool nested = false;
    r.pump.onPass = [&] {
        if (nested) return;
        nested = true;
        r.g.slot(2).Running = 1;
        r.engine.RunScript(2);  // a tick during the outer script's WAIT
    };
    r.run("MSG outer1\r\nWAIT 1\r\nMSG outer2\r\n");
    std::vector<std::string> texts;
    for (auto& m : r.messages.shown) texts.push_back(m.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"outer1", "inner1", "inner2", "outer2"}));
    EXPECT_EQ(r.g.slot(2).Running, 0);
}

// The program leaving: a stop request ends the wait that is going on and
// every line after it, also of the scripts that the wait's ticks started.
TEST(ScriptRun, AStopRequestEndsTheWaitsAndTheRestOfEveryScript) {
    Rig r;
    writeAll(r.dir.file("inner.wdx"), "RUN inner,1\r\nMSG inner\r\n");
    r.g.append();
    r.g.append();
    r.g.slot(2).ScriptFile = "inner.wdx";
    r.activator.windowsLeft[100] = 1000000;  // the inner program never ends
    r.pump.onPass = [&] {
        if (r.pump.passes == 1) r.engine.RunScript(2);  // a tick during the outer WAIT
        if (r.pump.passes == 100) r.engine.requestStop();
    };
    r.run("WAIT 100000\r\nMSG after the wait\r\nRUN after\r\n");
    EXPECT_EQ(r.pump.passes, 100);
    EXPECT_TRUE(r.messages.shown.empty());
    EXPECT_EQ(r.launcher.started, std::vector<std::string>{"inner"});
    r.run("MSG not started\r\n");
    EXPECT_TRUE(r.messages.shown.empty());
}
