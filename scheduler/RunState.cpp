#include "scheduler/RunState.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <vector>

#include "model/TextFile.h"

namespace wendrel::RunState {

namespace {
// FNV-1a: a short, stable digest of the fields that identify a task.
std::uint64_t digest(const TaskRecord& t) {
    std::uint64_t h = 1469598103934665603ull;
    auto add = [&h](const void* data, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t k = 0; k < size; ++k) h = (h ^ p[k]) * 1099511628211ull;
    };
    auto addText = [&add](const std::string& s) { add(s.data(), s.size() + 1); };
    addText(t.Name.str());
    addText(t.ScriptFile.str());
    for (std::int16_t v : {t.Interval, t.DateDay, t.DateMonth, t.TimeHour, t.TimeMinute, t.DayofMonth, t.DayofWeek,
                           t.MinsPastHour, t.Other, t.MSOption})
        add(&v, sizeof v);
    return h;
}

std::string keyOf(std::uint64_t h, int occurrence) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%016llx-%d", static_cast<unsigned long long>(h), occurrence);
    return buf;
}

// The keys of slots 1..TaskCount, in table order.
std::vector<std::string> keysOf(const General& g) {
    std::vector<std::string> keys;
    std::map<std::uint64_t, int> seen;
    const int count = std::clamp<int>(g.TaskCount, 0, General::MaxTasks);
    for (int n = 1; n <= count; ++n) {
        const std::uint64_t h = digest(g.slot(n));
        keys.push_back(keyOf(h, ++seen[h]));
    }
    return keys;
}

bool parseInt(std::string_view text, std::int64_t& out) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}
} // namespace

std::string taskKey(const General& g, int n) {
    const auto keys = keysOf(g);
    return n >= 1 && n <= static_cast<int>(keys.size()) ? keys[static_cast<std::size_t>(n - 1)] : std::string();
}

std::optional<std::int64_t> load(const std::string& path, General& g, std::string& problem) {
    if (!fileExists(path)) return std::nullopt;
    LineReader in(path, 4096);
    if (!in.isOpen()) {
        problem = "Cannot read \"" + path + "\"";
        return std::nullopt;
    }
    std::optional<std::int64_t> alive;
    std::map<std::string, std::int64_t> starts;
    std::string line;
    while (in.next(line)) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        std::string_view v(line);
        std::int64_t t = 0;
        if (v.starts_with("alive ") && parseInt(v.substr(6), t)) {
            alive = t;
        } else if (v.starts_with("task ")) {
            v.remove_prefix(5);
            const auto blank = v.find(' ');
            if (blank != std::string_view::npos && parseInt(v.substr(blank + 1), t))
                starts[std::string(v.substr(0, blank))] = t;
        }
    }
    const auto keys = keysOf(g);
    for (std::size_t k = 0; k < keys.size(); ++k) {
        TaskRecord& task = g.slot(static_cast<int>(k) + 1);
        const auto it = starts.find(keys[k]);
        // An Other task starts afresh in every run: its interval is counted
        // on the boot-time clock, which means nothing across runs.
        if (it != starts.end() && task.Interval != OtherInterval) task.LastStartUtc = it->second;
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
    const std::string why = writeFileAtomically(path, out);
    return why.empty() ? std::string() : "Cannot save \"" + path + "\": " + why;
}

} // namespace wendrel::RunState
