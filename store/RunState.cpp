#include "store/RunState.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <vector>

#include "model/TextFile.h"
#include "store/Fnv1a.h"

namespace wendrel::run_state {

namespace {
// The offset basis of the keys that earlier versions wrote: 14695981039346656037
// with its last digit lost.
constexpr std::uint64_t kOldOffsetBasis = 1469598103934665603ull;
// What a run still going when the file was written reads back as.
constexpr const char* kUnfinished = "did not finish: Wendrel stopped";

// The digest of the fields that identify a task.
std::uint64_t digest(const TaskRecord& t, std::uint64_t basis) {
    Fnv1a h(basis);
    // Each text with its terminating zero.
    for (const std::string& text : {t.Name.str(), t.ScriptFile.str()}) h.add(text.c_str(), text.size() + 1);
    for (std::int16_t v : {t.Interval, t.DateDay, t.DateMonth, t.TimeHour, t.TimeMinute, t.DayofMonth, t.DayofWeek,
                           t.MinsPastHour, t.Other, t.MSOption})
        h.add(&v, sizeof v);
    return h.value();
}

std::string keyOf(std::uint64_t h, int occurrence) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%016llx-%d", static_cast<unsigned long long>(h), occurrence);
    return buf;
}

// The keys of slots 1..TaskCount, in table order, made from the given basis.
std::vector<std::string> keysOf(const General& g, std::uint64_t basis = Fnv1a::kOffsetBasis) {
    std::vector<std::string> keys;
    std::map<std::uint64_t, int> seen;
    const int count = std::clamp<int>(g.TaskCount, 0, General::kMaxTasks);
    for (int n = 1; n <= count; ++n) {
        const std::uint64_t h = digest(g.slot(n), basis);
        keys.push_back(keyOf(h, ++seen[h]));
    }
    return keys;
}

// The instants a file of ours can hold: 1970-01-01 00:00:00 to 9999-12-31
// 23:59:59 UTC. Anything else comes from a damaged file, and taken as it is
// it would overflow the date arithmetic of the catch-up.
constexpr std::int64_t kEarliestUtc = 0;
constexpr std::int64_t kLatestUtc = 253402300799;

bool parseUtc(std::string_view text, std::int64_t& out) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && out >= kEarliestUtc && out <= kLatestUtc;
}
// "<UTC> <R|S|F> <what failed>" into the task's last run; a line that does
// not read so leaves it as it was.
void readLastRun(std::string_view v, TaskRecord& task) {
    std::int64_t t = 0;
    const auto blank = v.find(' ');
    if (blank == std::string_view::npos || !parseUtc(v.substr(0, blank), t) || v.size() < blank + 2) return;
    const char outcome = v[blank + 1];
    if (outcome != 'R' && outcome != 'S' && outcome != 'F') return;
    std::string failure(outcome == 'S' ? std::string_view() : v.substr(std::min(v.size(), blank + 3)));
    if (failure.empty() && outcome != 'S') failure = outcome == 'R' ? kUnfinished : "failed";
    task.LastRunUtc = t;
    task.LastRunEnded = true;
    task.LastFailure = failure;
}

} // namespace

std::optional<std::int64_t> load(const std::string& path, General& g, std::string& problem) {
    LineReader in(path, 4096);
    if (!in.isOpen()) {
        if (!nothingAt(path))
            problem = "The tasks' last starts are not read from \"" + path + "\": " + in.whyNotOpen() + ".";
        return std::nullopt;
    }
    std::optional<std::int64_t> alive;
    std::map<std::string, std::int64_t> starts;
    std::map<std::string, std::string> runs; // the text after the key
    std::string line;
    while (in.next(line)) {
        std::string_view v(line);
        std::int64_t t = 0;
        if (v.starts_with("alive ") && parseUtc(v.substr(6), t)) {
            alive = t;
        } else if (v.starts_with("task ")) {
            v.remove_prefix(5);
            const auto blank = v.find(' ');
            if (blank != std::string_view::npos && parseUtc(v.substr(blank + 1), t))
                starts[std::string(v.substr(0, blank))] = t;
        } else if (v.starts_with("last ")) {
            v.remove_prefix(5);
            const auto blank = v.find(' ');
            if (blank != std::string_view::npos) runs[std::string(v.substr(0, blank))] = v.substr(blank + 1);
        }
    }
    const auto keys = keysOf(g);
    const auto oldKeys = keysOf(g, kOldOffsetBasis);
    for (std::size_t k = 0; k < keys.size(); ++k) {
        TaskRecord& task = g.slot(static_cast<int>(k) + 1);
        auto it = starts.find(keys[k]);
        if (it == starts.end()) it = starts.find(oldKeys[k]);
        // An Other task starts afresh in every run: its interval is counted
        // on the boot-time clock, which means nothing across runs.
        if (it != starts.end() && task.Interval != OtherInterval) task.LastStartUtc = it->second;
        if (const auto run = runs.find(keys[k]); run != runs.end()) readLastRun(run->second, task);
    }
    return alive;
}

std::string save(const std::string& path, const General& g, std::int64_t aliveUtc) {
    std::string out = "alive " + std::to_string(aliveUtc) + "\r\n";
    const auto keys = keysOf(g);
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const TaskRecord& task = g.slot(static_cast<int>(k) + 1);
        if (task.LastStartUtc && task.Interval != OtherInterval)
            out += "task " + keys[k] + " " + std::to_string(*task.LastStartUtc) + "\r\n";
    }
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const TaskRecord& task = g.slot(static_cast<int>(k) + 1);
        if (!task.LastRunUtc) continue;
        const char outcome = !task.LastRunEnded ? 'R' : task.LastFailure.empty() ? 'S' : 'F';
        out += "last " + keys[k] + " " + std::to_string(*task.LastRunUtc) + " " + outcome;
        // The history's words for an event are one line.
        out += (task.LastFailure.empty() ? "" : " " + task.LastFailure) + "\r\n";
    }
    // Only this program writes the file: whatever stands in its place, a
    // link above all, is replaced rather than written through.
    const std::string why = writeFileAtomically(path, out, LinkAtPath::Replace);
    return why.empty() ? std::string() : "Cannot save \"" + path + "\": " + why;
}

} // namespace wendrel::run_state
