// The script interpreter on any script file, run with recording fakes of the
// desktop: it never fails, always ends, and clears the task's Running flag.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "fuzz/FuzzFolder.h"
#include "script/ScriptEngine.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

namespace {
// Event processing that lets the monotonic clock run ever faster, so that a
// WAIT of any length (a script may ask for years) ends after a few dozen
// passes. The clock stops at a far but finite time: past the float range a
// WAIT means for ever, and a clock at infinity would make every later span
// (infinity less infinity) no number, so no wait could end. A script still
// waiting there is stopped, as when the program is left.
class RacingPump : public EventPump {
public:
    static constexpr double kFarSeconds = 1e15;
    explicit RacingPump(FakeClock& clock) : clock_(clock) {}
    void setEngine(ScriptEngine* engine) { engine_ = engine; }
    void processEvents(double) override {
        clock_.mono = std::min(clock_.mono + step_, kFarSeconds);
        step_ = std::min(step_ * 2, kFarSeconds);
        if (clock_.mono >= kFarSeconds && engine_) engine_->requestStop();
    }

private:
    FakeClock& clock_;
    ScriptEngine* engine_ = nullptr;
    double step_ = 0.05;
};

const std::string& folder() { return fuzzFolder("script"); }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(folder() + "/fuzz.wdx", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    FakeClock clock;
    RacingPump pump(clock);
    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeActivator activator;
    FakeKeys keys;
    // Programs started by the script keep a window for a few activations, so
    // waits for them run a few rounds.
    launcher.nextId = 100;
    for (double id = 100; id < 110; ++id) activator.windowsLeft[id] = 3;
    General g;
    const int n = g.append();
    g.slot(n).ScriptFile.assign("fuzz.wdx");
    g.slot(n).Running = 1;
    ScriptEngine engine(g, folder(), ScriptEnvironment{launcher, activator, keys, messages, pump, clock});
    pump.setEngine(&engine);
    engine.RunScript(n);
    if (g.slot(n).Running != 0) std::abort();
    return 0;
}
