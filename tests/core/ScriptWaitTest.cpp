// Waits of the script engine: Pause and WaitForCompletion against fakes.
#include <gtest/gtest.h>

#include "script/ScriptEngine.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

namespace {
struct Rig : FakeDesktop {
    General g;
    ScriptEngine engine{g, "/tmp", environment()};
};
} // namespace

TEST(ScriptWait, PauseEndsAfterTheTimeAndPollsInShortSteps) {
    Rig r;
    r.pump.step = 0.01;
    const double start = r.clock.mono;
    r.engine.Pause(2.0f);
    EXPECT_GE(r.clock.mono - start, 2.0 - 1e-9);
    EXPECT_LT(r.clock.mono - start, 2.1);
    Rig full; // each pass waits at most 0.05 s
    full.engine.Pause(1.0f);
    EXPECT_GE(full.pump.passes, 20);
}

TEST(ScriptWait, WaitForCompletionEndsWhenTheWindowAndTheProcessesAreGoneOrOnFailure) {
    Rig r;
    r.activator.windowsLeft[42] = 3;
    r.engine.WaitForCompletion(42);
    EXPECT_EQ(r.activator.activated.size(), 4u);
    EXPECT_TRUE(r.messages.shown.empty());

    Rig windowless; // runs on for five looks, without any window
    windowless.launcher.runsFor[42] = 5;
    const double start = windowless.clock.mono;
    windowless.engine.WaitForCompletion(42);
    EXPECT_NEAR(windowless.clock.mono - start, 6.0, 0.1);

    Rig f;
    f.activator.failWith = "Access denied";
    f.engine.WaitForCompletion(7);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, "Access denied");
    EXPECT_EQ(f.messages.shown[0].caption, "Sub WaitForCompletion");
}
