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
    parseTaskLine(line, r);
    const std::string formatted = formatTaskLine(r);
    TaskRecord back;
    parseTaskLine(formatted, back);
    if (formatTaskLine(back) != formatted) std::abort();
    if (back.Running != 0 || back.ProcessId != 0) std::abort();
    return 0;
}
