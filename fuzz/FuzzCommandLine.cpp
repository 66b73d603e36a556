// The word split of command lines on any text: it never fails badly, and the
// words it gives, each quoted again, split back into the same words.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "script/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const auto words = wendrel::splitCommandLine(line);
    if (!words) return 0;
    std::string quoted;
    for (const std::string& w : *words) {
        if (w.find('\0') != std::string::npos) std::abort();
        quoted += " '";
        for (char c : w) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        quoted += "'";
    }
    if (wendrel::splitCommandLine(quoted) != words) std::abort();
    return 0;
}
