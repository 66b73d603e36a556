// The state file reader on any Scripts.state: reading never fails, keeps only
// last starts of fixed-time tasks within the years 1970 to 9999, what is
// written back reads back the same, and the first tick after it (catching up
// missed runs in a zone west of UTC) neither overflows nor hangs.
// "@1" to "@3" in the input stand for the keys of the three tasks, so that
// the fuzzer reaches the lines that match a task.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "fuzz/FuzzFolder.h"
#include "scheduler/Scheduler.h"
#include "store/RunState.h"

using namespace wendrel;

namespace {
constexpr std::int64_t kLatestUtc = 253402300799; // 9999-12-31 23:59:59

const std::string& folder() { return fuzzFolder("state"); }

// Five hours behind UTC: local minutes lie below the real ones.
struct WestClock : Clock {
    std::int64_t utc = DateTime{2026, 12, 6, 14, 30, 0}.serialSeconds();
    DateTime now() const override { return read().local; }
    ClockReading read() const override { return {utc, DateTime::fromSerialSeconds(utc - 18000), -18000}; }
    std::int32_t utcOffsetAt(std::int64_t) const override { return -18000; }
    double monotonicSeconds() const override { return 1000; }
};

void fill(General& g) {
    auto add = [&g](std::int16_t interval, std::int16_t hour, std::int16_t minute) {
        TaskRecord& t = g.slot(g.append());
        t.Name.assign("task");
        t.Interval = interval;
        t.TimeHour = hour;
        t.TimeMinute = minute;
        t.MinsPastHour = minute;
        t.DayofMonth = 5;
        t.Other = 1;
        t.Active = 1;
        t.ScriptFile.assign("a.wdx");
    };
    add(Daily, 8, 0);
    add(Hourly, 0, 15);
    add(OtherInterval, 0, 0);
}

// The keys of the three tasks, as the writer spells them.
const std::vector<std::string>& keys() {
    static const std::vector<std::string> k = [] {
        General g;
        fill(g);
        for (int n = 1; n <= 3; ++n) g.slot(n).Interval = Daily; // every task written
        for (int n = 1; n <= 3; ++n) g.slot(n).LastStartUtc = n;
        const std::string path = folder() + "/keys.state";
        run_state::save(path, g, 0);
        std::ifstream in(path);
        std::vector<std::string> out;
        std::string word, key, value;
        while (in >> word) {
            if (word == "task" && in >> key >> value) out.push_back(key);
        }
        if (out.size() != 3) std::abort();
        return out;
    }();
    return k;
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = text.find('@'); at != std::string::npos && at + 1 < text.size(); at = text.find('@', at + 1))
        if (text[at + 1] >= '1' && text[at + 1] <= '3') text.replace(at, 2, keys()[std::size_t(text[at + 1] - '1')]);
    const std::string path = folder() + "/Scripts.state";
    writeAll(path, text);

    General g;
    fill(g);
    g.RunMissedTasks = 1;
    std::string problem;
    const std::optional<std::int64_t> alive = run_state::load(path, g, problem);
    if (alive && (*alive < 0 || *alive > kLatestUtc)) std::abort();
    for (int n = 1; n <= 3; ++n) {
        const auto& last = g.slot(n).LastStartUtc;
        if (last && (*last < 0 || *last > kLatestUtc)) std::abort();
    }
    if (g.slot(3).LastStartUtc) std::abort(); // an Other task starts afresh

    // Written back, it reads back the same.
    const std::string again = folder() + "/again.state";
    if (!run_state::save(again, g, alive.value_or(0)).empty()) std::abort();
    General h;
    fill(h);
    if (run_state::load(again, h, problem).value_or(0) != alive.value_or(0)) std::abort();
    for (int n = 1; n <= 3; ++n)
        if (h.slot(n).LastStartUtc != g.slot(n).LastStartUtc) std::abort();

    // The first tick: the catch-up from the alive time.
    WestClock clock;
    Scheduler s(g, clock, [&g](int i) { g.slot(i).Running = 0; });
    s.useStateFile(path);
    s.tick();
    return 0;
}
