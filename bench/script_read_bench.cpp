// How a huge script file is read: a file of junk lines (and one of a single
// line without any line end) is run as a task's script, and the bench prints
// the time the run took and the longest stretch without event processing,
// which is how long the user interface would not answer.
// Usage: script_read_bench [megabytes, default 1024] [folder, default /tmp]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "script/ScriptEngine.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;
using Steady = std::chrono::steady_clock;

namespace {

double secondsSince(Steady::time_point t0) { return std::chrono::duration<double>(Steady::now() - t0).count(); }

void measure(const char* what, const std::string& folder, const std::string& leaf) {
    FakeDesktop desktop;
    General g;
    ScriptEngine engine(g, folder, desktop.environment());
    g.slot(g.append()).ScriptFile = leaf;
    g.slot(1).Running = 1;
    auto last = Steady::now();
    double longest = 0;
    desktop.pump.onPass = [&] {
        longest = std::max(longest, secondsSince(last));
        last = Steady::now();
    };
    const auto t0 = Steady::now();
    engine.RunScript(1);
    longest = std::max(longest, secondsSince(last));
    std::printf("%-28s %7.2f s in all, %6d event passes, longest stretch without one %6.1f ms\n", what,
                secondsSince(t0), desktop.pump.passes, longest * 1000);
}

} // namespace

int main(int argc, char** argv) {
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 1024;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    const std::string lines = "wendrel-bench-lines.wdx", single = "wendrel-bench-single.wdx";
    {
        std::ofstream out(folder + "/" + lines, std::ios::binary);
        std::string block;
        while (block.size() < (1 << 20))
            block += "junk line that is no command at all, " + std::to_string(block.size()) + "\n";
        block.resize(1 << 20);
        for (long i = 0; i < megabytes; ++i) out << block;
        std::ofstream one(folder + "/" + single, std::ios::binary);
        std::string x(1 << 20, 'x');
        for (long i = 0; i < megabytes; ++i) one << x;
    }
    std::printf("%ld MB script files\n", megabytes);
    measure("short junk lines:", folder, lines);
    measure("one line, no line end:", folder, single);
    ::unlink((folder + "/" + lines).c_str());
    ::unlink((folder + "/" + single).c_str());
}
