// The script interpreter on any script file, run with recording fakes of the
// desktop: it never fails, always ends, and clears the task's Running flag.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "script/ScriptEngine.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

namespace {
// Event processing that lets the monotonic clock run ever faster, so that a
// WAIT of any length (a script may ask for years) ends after a few dozen
// passes.
class RacingPump : public EventPump {
public:
    explicit RacingPump(FakeClock& clock) : clock_(clock) {}
    void processEvents(double) override {
        clock_.mono += step_;
        step_ *= 2;
    }

private:
    FakeClock& clock_;
    double step_ = 0.05;
};

std::string folder() {
    static std::string path = [] {
        char tmpl[] = "/tmp/wendrel-fuzz-script-XXXXXX";
        if (!::mkdtemp(tmpl)) std::abort();
        return std::string(tmpl);
    }();
    return path;
}
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
    engine.RunScript(n);
    if (g.slot(n).Running != 0) std::abort();
    return 0;
}
