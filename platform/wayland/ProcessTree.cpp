#include "platform/wayland/ProcessTree.h"

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace wendrel::wayland {

namespace {

struct ProcessInfo {
    int parent = 0;
    unsigned long long started = 0; // clock ticks after boot
};

// Parent and start time from /proc/<pid>/stat; no value when the process is
// gone or has ended and only waits for its parent (a zombie). The program's
// name in that line is in parentheses and may itself hold blanks and
// parentheses, so the fields are read after the last ')'.
bool readProcess(int pid, ProcessInfo& info) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    FILE* f = std::fopen(path, "re");
    if (!f) return false;
    char line[1024];
    const bool read = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    const char* close = read ? std::strrchr(line, ')') : nullptr;
    if (!close) return false;
    char state = 0;
    // Fields 3 and 4, then 18 more up to the start time (field 22).
    if (std::sscanf(close + 1, " %c %d %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %llu", &state,
                    &info.parent, &info.started) != 3)
        return false;
    return state != 'Z';
}

} // namespace

std::set<int> ProcessFamily::living() {
    std::map<int, ProcessInfo> all;
    std::multimap<int, int> children;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* e = readdir(proc)) {
            char* end = nullptr;
            const long p = std::strtol(e->d_name, &end, 10);
            ProcessInfo info;
            if (*end || p <= 0 || !readProcess(static_cast<int>(p), info)) continue;
            all.emplace(static_cast<int>(p), info);
            children.emplace(info.parent, static_cast<int>(p));
        }
        closedir(proc);
    }
    std::vector<int> todo;
    // The root counts by its id only at the first look; after that, like any
    // member, by its id and start time.
    if (!looked_ && all.count(root_)) todo.push_back(root_);
    looked_ = true;
    for (const auto& [pid, started] : members_)
        if (auto it = all.find(pid); it != all.end() && it->second.started == started) todo.push_back(pid);

    std::set<int> family;
    while (!todo.empty()) {
        const int p = todo.back();
        todo.pop_back();
        if (!family.insert(p).second) continue;
        auto [from, to] = children.equal_range(p);
        for (auto it = from; it != to; ++it) todo.push_back(it->second);
    }
    members_.clear();
    for (int p : family) members_[p] = all[p].started;
    return family;
}

} // namespace wendrel::wayland
