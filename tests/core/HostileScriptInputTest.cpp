// Script files that are huge or binary run (or skip) line by line, end, and
// clear the task's Running flag.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <sys/resource.h>

#include "script/ScriptEngine.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;
using Steady = std::chrono::steady_clock;

namespace {
struct ScriptRig : FakeDesktop {
    TempFolder dir;
    General g;
    ScriptEngine engine{g, dir.path(), environment()};
    // Runs s.wdx as the script of task 1; true when the run cleared Running.
    bool run() {
        g.TaskCount = 1;
        g.slot(1).ScriptFile.assign("s.wdx");
        g.slot(1).Running = 1;
        engine.RunScript(1);
        return g.slot(1).Running == 0;
    }
};

long peakKilobytes() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}
} // namespace

TEST(HostileScriptInput, BinaryAndHugeScriptsRunToTheirEndInBoundedTimeAndMemory) {
    ScriptRig rig;
    std::mt19937 random(3);
    std::string bytes(1 << 20, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    writeAll(rig.dir.file("s.wdx"), bytes);
    auto t0 = Steady::now();
    EXPECT_TRUE(rig.run());
    EXPECT_LT(Steady::now() - t0, std::chrono::seconds(10));

    // 100 MB of code-0 bytes without a line end (a sparse file).
    std::filesystem::resize_file(rig.dir.file("s.wdx"), 0);
    std::filesystem::resize_file(rig.dir.file("s.wdx"), 100u << 20);
    const long before = peakKilobytes();
    const int passesBefore = rig.pump.passes;
    t0 = Steady::now();
    EXPECT_TRUE(rig.run());
    EXPECT_LT(Steady::now() - t0, std::chrono::seconds(20));
    EXPECT_LT(peakKilobytes() - before, 300 * 1024) << "kilobytes";
    // The user interface is served while the file is read: some hundreds of
    // times for 100 MB, not once at the end.
    EXPECT_GE(rig.pump.passes - passesBefore, 100);
}
