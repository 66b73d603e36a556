// The store reader on any Scripts.dat and Scripts.ini: reading never fails,
// loads at most 200 tasks, and what is written back reads back to the same
// records and the same files.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

#include "fuzz/FuzzFolder.h"
#include "store/TaskLine.h"
#include "store/TaskStore.h"

using namespace wendrel;

namespace {
const std::string& folder() { return fuzzFolder("store"); }
void writeAll(const std::string& path, const char* bytes, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes, static_cast<std::streamsize>(size));
}
void persistentEqual(const TaskRecord& a, const TaskRecord& b) {
    if (formatTaskLine(a) != formatTaskLine(b)) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte says how much of the rest is the options file.
    const char* bytes = reinterpret_cast<const char*>(data);
    std::size_t iniSize = size ? std::min<std::size_t>(data[0], size - 1) : 0;
    const char* ini = size ? bytes + 1 : bytes;
    const char* dat = ini + iniSize;
    const std::size_t datSize = size ? size - 1 - iniSize : 0;

    TaskStore store(folder());
    writeAll(store.taskPath(), dat, datSize);
    writeAll(store.optionsPath(), ini, iniSize);
    General g;
    store.read(g);
    if (g.TaskCount < 0 || g.TaskCount > General::kMaxTasks) std::abort();

    // Write what was loaded (as the unload does, without the disk flush) and
    // read it again: the records must come back unchanged.
    const std::string tasks = TaskStore::formatTaskFile(g);
    const std::string options = TaskStore::formatOptionsFile(g);
    writeAll(store.taskPath(), tasks.data(), tasks.size());
    writeAll(store.optionsPath(), options.data(), options.size());
    General again;
    TaskStore(folder()).read(again);
    if (again.TaskCount != g.TaskCount) std::abort();
    if (again.MinimizeOnStartup != g.MinimizeOnStartup || again.MinimizeToTray != g.MinimizeToTray) std::abort();
    for (int i = 1; i <= g.TaskCount; ++i) persistentEqual(g.slot(i), again.slot(i));
    if (TaskStore::formatTaskFile(again) != tasks) std::abort();
    return 0;
}
