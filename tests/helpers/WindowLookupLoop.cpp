// Looks up and activates a program's windows in a tight loop, as the waits
// and TYPE lines of scripts do, for the window tests:
//   WindowLookupLoop <pid> <seconds>
// Prints how many rounds it made; ends with status 0 unless it crashed, or
// with status 3 when the X server has gone.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/X11Windows.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const double pid = std::atof(argv[1]);
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(std::atof(argv[2]));
    wendrel::setX11ConnectionLostHandler([] {
        std::puts("the X connection was lost");
        std::_Exit(3);
    });
    wendrel::X11WindowActivator activator;
    long rounds = 0, found = 0;
    while (std::chrono::steady_clock::now() < until) {
        std::string failure;
        found += activator.activate(pid, failure) == wendrel::ActivateResult::Ok;
        activator.activate(pid + 1, failure);
        activator.activeWindowIsOurs();
        ++rounds;
    }
    std::printf("%ld rounds, %ld activated\n", rounds, found);
    return 0;
}
