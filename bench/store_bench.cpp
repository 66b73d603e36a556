// Reads and writes a 200-task store 1,000 times and prints microseconds per
// read and per write. A save follows every change of the list, so the spread
// of single saves (median, 99th percentile, worst) is printed too.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>
#include <unistd.h>

#include "model/General.h"
#include "store/TaskStore.h"

using namespace wendrel;
using Steady = std::chrono::steady_clock;

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::stoi(argv[1]) : 1000;
    std::string folder = (std::filesystem::temp_directory_path() / "wendrel-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;

    General g;
    g.fillCaptionTables();
    for (int i = 1; i <= General::kMaxTasks; ++i) {
        g.append();
        TaskRecord& r = g.slot(i);
        r.Name = "Task " + std::to_string(i);
        r.Comment = "A comment long enough to be realistic for task " + std::to_string(i);
        r.Interval = static_cast<std::int16_t>(i % 6);
        r.TimeHour = static_cast<std::int16_t>(i % 24);
        r.TimeMinute = static_cast<std::int16_t>(i % 60);
        r.Active = static_cast<std::int16_t>(i % 2);
        r.ScriptFile = "script" + std::to_string(i) + ".wdx";
    }

    TaskStore store(folder);
    std::vector<double> single;
    single.reserve(static_cast<std::size_t>(rounds));
    auto t0 = Steady::now();
    for (int i = 0; i < rounds; ++i) {
        const auto s0 = Steady::now();
        store.write(g);
        single.push_back(std::chrono::duration<double, std::milli>(Steady::now() - s0).count());
    }
    auto t1 = Steady::now();
    std::sort(single.begin(), single.end());
    for (int i = 0; i < rounds; ++i) {
        General back;
        TaskStore(folder).read(back);
        if (back.TaskCount != General::kMaxTasks) return 2;
    }
    auto t2 = Steady::now();

    auto us = [&](auto d) { return std::chrono::duration<double, std::micro>(d).count() / rounds; };
    std::printf("store of %d tasks, %d rounds\n", General::kMaxTasks, rounds);
    std::printf("write (atomic, with fsync): %.1f us per write\n", us(t1 - t0));
    std::printf("read:                       %.1f us per read\n", us(t2 - t1));
    std::printf("one save (both files): median %.2f ms, 99th percentile %.2f ms, worst %.2f ms\n",
                single[single.size() / 2], single[single.size() * 99 / 100], single.back());
    std::filesystem::remove_all(folder);
    return 0;
}
