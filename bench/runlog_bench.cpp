// The run history at its largest: appends events until the file has rotated
// (a full Wendrel.log.1 and Wendrel.log), then reads the newest 1,000 events,
// of all tasks and of one task, from the end. Prints microseconds per append
// and milliseconds per read.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "store/RunLogFile.h"

using namespace wendrel;
using Steady = std::chrono::steady_clock;

int main() {
    std::string folder = (std::filesystem::temp_directory_path() / "wendrel-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    RunLogFile log(folder);

    RunEvent e{{2026, 12, 7, 9, 30, 0},
               RunEventKind::ProgramStarted,
               "",
               "backup.wdx",
               "rsync -a /home/me/documents /media/backup/documents",
               12345,
               {}};
    const int appends = 30000;
    auto t0 = Steady::now();
    for (int i = 0; i < appends; ++i) {
        e.task = "Task " + std::to_string(i % 40);
        log.add(e);
    }
    auto t1 = Steady::now();

    const int reads = 20;
    std::size_t shown = 0;
    for (int i = 0; i < reads; ++i) {
        RunLogReader all(folder, 1000), one(folder, 1000, std::string("Task 7"));
        all.reload();
        one.reload();
        shown = all.events().size() + one.events().size();
    }
    auto t2 = Steady::now();

    const double appendUs = std::chrono::duration<double, std::micro>(t1 - t0).count() / appends;
    const double readMs = std::chrono::duration<double, std::milli>(t2 - t1).count() / reads;
    std::printf("append: %.1f us per event (%d events, rotated at 1 MB)\n", appendUs, appends);
    std::printf("newest 1,000 events and one task's newest 1,000 (files %.0f KB): %.2f ms (%zu rows)\n",
                (std::filesystem::file_size(folder + "/Wendrel.log") +
                 std::filesystem::file_size(folder + "/Wendrel.log.1")) /
                    1024.0,
                readMs, shown);
    std::filesystem::remove_all(folder);
}
