// Script files that are huge, binary or name programs that do not exist run
// (or skip) line by line, end, and clear the task's Running flag.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/resource.h>

#include "script/ScriptEngine.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;
namespace fs = std::filesystem;

namespace {
using Steady = std::chrono::steady_clock;

struct ScriptRig {
    TempFolder dir;
    FakeClock clock;
    FakePump pump{clock};
    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeActivator activator;
    FakeKeys keys;
    General g;
    ScriptEngine engine{g, dir.path(), ScriptEnvironment{launcher, activator, keys, messages, pump, clock}};

    void writeScript(const std::string& bytes) {
        std::ofstream(dir.file("s.wdx"), std::ios::binary | std::ios::trunc) << bytes;
    }
    // Runs s.wdx as the script of a task; returns the task's slot.
    int run() {
        int n = g.TaskCount > 0 ? 1 : g.append();
        g.slot(n).ScriptFile.assign("s.wdx");
        g.slot(n).Running = 1;
        engine.RunScript(n);
        return n;
    }
    // The interpreter is in place when a one-line script types its text.
    bool interpreterPresent() {
        writeScript("TYPE probe");
        run();
        bool present = keys.sent.size() == 1;
        keys.sent.clear();
        return present;
    }
};

long peakKilobytes() {
    rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}
} // namespace

TEST(HostileScriptInput, BinaryScriptRunsToItsEnd) {
    ScriptRig rig;
    std::mt19937 random(3);
    std::string bytes(1 << 20, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    rig.writeScript(bytes);
    const auto t0 = Steady::now();
    const int n = rig.run();
    EXPECT_LT(Steady::now() - t0, std::chrono::seconds(10));
    EXPECT_EQ(rig.g.slot(n).Running, 0);
}

TEST(HostileScriptInput, HundredMegabyteLineInBoundedTimeAndMemory) {
    ScriptRig rig;
    rig.writeScript("");
    fs::resize_file(rig.dir.file("s.wdx"), 100u << 20);  // sparse: code-0 bytes
    const long before = peakKilobytes();
    const auto t0 = Steady::now();
    const int n = rig.run();
    EXPECT_LT(Steady::now() - t0, std::chrono::seconds(20));
    EXPECT_LT(peakKilobytes() - before, 300 * 1024) << "kilobytes";
    EXPECT_EQ(rig.g.slot(n).Running, 0);
}

TEST(HostileScriptInput, ProgramThatDoesNotExistIsSkippedSilently) {
    ScriptRig rig;
    if (!rig.interpreterPresent()) GTEST_SKIP() << "the script interpreter is not in place yet";
    rig.launcher.fail = true;
    rig.writeScript("EXEC /no/such/program --flag\r\nRUN /no/such/other,1\r\nTYPE after\r\n");
    const int n = rig.run();
    rig.g.slot(n).ProcessId = 7;
    rig.g.slot(n).Running = 1;
    rig.engine.RunScript(n);
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_EQ(rig.g.slot(n).ProcessId, 7);  // a failed start keeps the old id
    EXPECT_EQ(rig.keys.sent, (std::vector<std::string>{"after", "after"}));
    EXPECT_EQ(rig.g.slot(n).Running, 0);
}

