// Opening a 100 MB run history for the history window: reading both files
// whole and picking the newest 1,000 events, against reading them from the
// end; and a refresh after one appended event. Each way runs in a child
// process of its own, so its peak memory is its own. Prints milliseconds and
// the peak resident size.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "store/RunLogFile.h"

using namespace wendrel;
using Steady = std::chrono::steady_clock;

namespace {
RunEvent eventOf(int i) {
    return {{2026, 12, 7, 9, 30, i % 60},
            RunEventKind::ProgramStarted,
            "Task " + std::to_string(i % 40),
            "backup.wdx",
            "rsync -a /home/me/documents /media/backup/documents",
            12345,
            {}};
}

void inChild(const char* what, const std::function<std::size_t()> work) {
    std::fflush(stdout);
    if (const pid_t pid = ::fork(); pid != 0) {
        ::waitpid(pid, nullptr, 0);
        return;
    }
    const auto t0 = Steady::now();
    const std::size_t shown = work();
    const double ms = std::chrono::duration<double, std::milli>(Steady::now() - t0).count();
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    std::printf("%-44s %9.1f ms  peak %7.1f MB  (%zu events)\n", what, ms, u.ru_maxrss / 1024.0, shown);
    std::fflush(stdout);
    ::_exit(0);
}
} // namespace

int main() {
    std::string folder = (std::filesystem::temp_directory_path() / "wendrel-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    const std::string path = folder + "/Wendrel.log";
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; out.tellp() < (std::streamoff(100) << 20); ++i) out << formatRunEvent(eventOf(i)) << '\n';
    }
    std::printf("Wendrel.log: %.0f MB\n", std::filesystem::file_size(path) / 1048576.0);

    inChild("nothing (the process itself)", [] { return std::size_t(0); });
    inChild("read whole, newest 1,000", [&] {
        const auto all = RunLogFile::readAll(folder);
        return std::vector<RunLogEntry>(all.end() - std::min<std::size_t>(all.size(), 1000), all.end()).size();
    });
    inChild("read from the end, newest 1,000", [&] {
        RunLogReader r(folder, 1000);
        r.reload();
        return r.events().size();
    });
    inChild("read from the end, one task's newest 1,000", [&] {
        RunLogReader r(folder, 1000, std::string("Task 7"));
        r.reload();
        return r.events().size();
    });
    inChild("refresh after one appended event", [&] {
        RunLogReader r(folder, 1000);
        r.reload();
        RunLogFile(folder, std::size_t(1) << 30).add(eventOf(1));
        const auto t0 = Steady::now();
        const std::uint64_t before = r.bytesRead();
        r.refresh();
        std::printf("  (refresh: %.3f ms, %llu bytes read)\n",
                    std::chrono::duration<double, std::milli>(Steady::now() - t0).count(),
                    static_cast<unsigned long long>(r.bytesRead() - before));
        return r.events().size();
    });
    std::filesystem::remove_all(folder);
}
