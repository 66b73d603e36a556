// One task line: parsing any bytes never fails, and a formatted record parses
// back to itself.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/TaskLine.h"

using namespace wendrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    TaskRecord r;
    ParseTaskLine(line, r);
    const std::string formatted = FormatTaskLine(r);
    TaskRecord back;
    ParseTaskLine(formatted, back);
    if (FormatTaskLine(back) != formatted) std::abort();
    if (back.Running != 0 || back.ProcessId != 0) std::abort();
    return 0;
}
