// The run history reader on any Wendrel.log: reading never fails, every event
// read has a well-formed time and fields without tabs, an event added after it
// reads back as written, and the newest events of a task read from the end
// are that task's, in order, no more than asked for.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "fuzz/FuzzFolder.h"
#include "store/FileNames.h"
#include "store/RunLogFile.h"

using namespace wendrel;

namespace {
const std::string& folder() { return fuzzFolder("log"); }

bool wellFormed(const RunLogEntry& e) {
    if (e.time.size() != 19) return false;
    for (const std::string* field : {&e.time, &e.task, &e.script})
        if (field->find('\t') != std::string::npos) return false;
    return e.what.find('\n') == std::string::npos && e.what.find('\r') == std::string::npos;
}

// A slice of the input, at most max bytes, taken from its front.
std::string take(std::string_view& rest, std::size_t max) {
    const std::size_t n = std::min(rest.size(), max);
    std::string out(rest.substr(0, n));
    rest.remove_prefix(n);
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    // Four bytes of settings: how many events to ask for, and the lengths of
    // the added event's task name, script name and command line; the rest is
    // the history file, whose end supplies those texts.
    const std::size_t max = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    std::string_view tail = rest.substr(rest.size() - std::min<std::size_t>(rest.size(), 600));
    RunEvent event;
    event.time = DateTime{2026, 12, 6, 9, 30, 0};
    event.kind = static_cast<RunEventKind>(data[1] % 12);
    event.task = take(tail, data[1] % 64);
    event.script = take(tail, data[2] % 32);
    event.command = take(tail, data[3] * 2u);
    event.pid = 1234;
    event.exitStatus = ProgramExit{data[3], data[2] % 2 ? 9 : 0};

    ::unlink((folder() + "/" + file_names::kOldLogFile).c_str());
    std::ofstream(folder() + "/" + file_names::kLogFile, std::ios::binary | std::ios::trunc) << rest;

    const std::vector<RunLogEntry> all = RunLogFile::readAll(folder());
    for (const RunLogEntry& e : all)
        if (!wellFormed(e)) std::abort();

    const std::optional<std::string> task = all.empty() ? std::nullopt : std::optional(all[all.size() / 2].task);
    RunLogReader newest(folder(), max, task);
    newest.reload();
    if (newest.events().size() > max) std::abort();
    // Read from the end, oldest first: a subsequence of the whole history.
    auto from = all.begin();
    for (const RunLogEntry& e : newest.events()) {
        if (e.task != *task) std::abort();
        while (from != all.end() && !(*from == e)) ++from;
        if (from == all.end()) std::abort();
        ++from;
    }

    // An event added (rotating the file when it is past 64 KB) reads back as
    // its formatted line says, after everything read before.
    RunLogFile log(folder(), 64 * 1024);
    log.add(event);
    const std::vector<RunLogEntry> after = RunLogFile::readAll(folder());
    const std::optional<RunLogEntry> added = parseRunLogLine(formatRunEvent(event));
    if (!added || after.empty() || !(after.back() == *added)) std::abort();
    return 0;
}
