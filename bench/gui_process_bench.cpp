// The whole program as a process, next to a minimal Qt Widgets program
// (gui_minimal_window) measured the same way in the same run:
//   1. cold start: from posix_spawn to the mapping of the main window, median
//      of several alternating starts (target: at most 2x the minimal one);
//   2. memory a few seconds after start: RSS and PSS (target RSS: 1.3x);
//   3. idle with 200 tasks none due: share of one core and wake-ups per second
//      (all threads), window shown and sent to the tray (or minimized when
//      the desktop has no tray), target <= 0.05 % and <= 2 per second; and the
//      zone-file stats per second when strace is installed.
// Usage: gui_process_bench [idle seconds, default 20] [starts, default 5]
//        (needs DISPLAY: run under xvfb-run; no window manager needed)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/core/TempFolder.h"

extern char** environ;

using wendrel::TempFolder;
using wendrel::writeAll;

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
    std::string label, path, title;
};

pid_t spawn(const std::string& path) {
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    return posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) == 0 ? pid : -1;
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int k = 0; k < 100; ++k) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Starts the program and returns the milliseconds until a top-level window
// with its title was mapped (negative on a time-out).
double startToMap(Display* d, const Program& p, pid_t& pid) {
    XSync(d, True);
    const auto t0 = Clock::now();
    pid = spawn(p.path);
    const int fd = ConnectionNumber(d);
    while (Clock::now() - t0 < std::chrono::seconds(20)) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type != MapNotify) continue;
            char* name = nullptr;
            if (XFetchName(d, e.xmap.window, &name) && name) {
                const bool match = p.title == name;
                XFree(name);
                if (match) return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            }
        }
        pollfd pfd{fd, POLLIN, 0};
        poll(&pfd, 1, 50);
    }
    return -1;
}

// Kilobytes of a "Name:   value kB" line of a /proc file.
long procValue(const std::string& file, const std::string& key) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
    return -1;
}

// CPU nanoseconds and context switches (wake-ups) of each thread, by id.
struct ThreadUse {
    double cpuNs = 0;
    long switches = 0;
};
std::map<std::string, ThreadUse> threadUse(pid_t pid) {
    std::map<std::string, ThreadUse> use;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* dp = opendir(dir.c_str());
    if (!dp) return use;
    while (dirent* e = readdir(dp)) {
        if (e->d_name[0] == '.') continue;
        const std::string t = dir + "/" + e->d_name;
        ThreadUse& u = use[e->d_name];
        std::ifstream(t + "/schedstat") >> u.cpuNs;
        u.switches = std::max(0L, procValue(t + "/status", "voluntary_ctxt_switches:")) +
                     std::max(0L, procValue(t + "/status", "nonvoluntary_ctxt_switches:"));
    }
    closedir(dp);
    return use;
}

// Share of a core and wake-ups per second over the threads alive at the end
// (Qt's pooled threads end after half a minute idle; what they did in the
// window is lost with them, which at idle is nothing).
void idle(pid_t pid, int seconds, const char* what) {
    const auto before = threadUse(pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const auto after = threadUse(pid);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    double cpuNs = 0;
    long switches = 0;
    for (const auto& [tid, end] : after) {
        const auto start = before.find(tid);
        cpuNs += end.cpuNs - (start == before.end() ? 0 : start->second.cpuNs);
        switches += end.switches - (start == before.end() ? 0 : start->second.switches);
    }
    std::printf("    %-34s %.4f %% of a core, %.2f wake-ups per second\n", what, 100.0 * cpuNs / 1e9 / wall,
                static_cast<double>(switches) / wall);
}

void statCalls(pid_t pid, int seconds) {
    if (std::system("command -v strace >/dev/null 2>&1") != 0) return;
    TempFolder dir;
    const std::string out = dir.file("strace");
    const std::string cmd = "timeout -s INT " + std::to_string(seconds) + " strace -f -qq -c -e trace=%%stat -o " +
                            out + " -p " + std::to_string(pid) + " >/dev/null 2>&1";
    (void)std::system(cmd.c_str());
    std::ifstream in(out);
    long total = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string x; words >> x;) w.push_back(x);
        if (w.size() >= 5 && w.back() != "total" && std::isdigit(static_cast<unsigned char>(w[3][0])))
            total += std::atol(w[3].c_str());
    }
    std::printf("    %-34s %.2f per second (strace, %d s)\n",
                "stat-family system calls:", static_cast<double>(total) / seconds, seconds);
}

// Task lines none of which is due in the next minutes: Hourly, Daily,
// Weekly, Monthly and Yearly away from now, and Other tasks every 59
// minutes (due once, at start-up) whose script is empty.
std::string taskLines() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    const int h = (t.tm_hour + 12) % 24, m = (t.tm_min + 30) % 60, dow = (t.tm_wday + 3) % 7;
    const int dom = (t.tm_mday + 10) % 28, mon = (t.tm_mon + 6) % 12;
    std::string out;
    char line[200];
    for (int i = 0; i < 200; ++i) {
        const int interval = i % 6;
        std::snprintf(line, sizeof line, "Task %d~Idle~%d~%d~%d~%d~%d~%d~%d~%d~59~0~1~idle.wdx\r\n", i, interval, dom,
                      mon, h, m, dom, dow, m);
        out += line;
    }
    return out;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int idleSeconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 20;
    const int starts = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::printf("needs an X display (run under xvfb-run)\n");
        return 1;
    }
    // A window may be gone by the time its name is asked for (the splash
    // closes within milliseconds): that is no reason to end.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    unsetenv("QT_QPA_PLATFORM");
    const std::string here = std::filesystem::path(argv[0]).parent_path().string();

    // Wendrel runs from a folder of its own, with 200 tasks.
    TempFolder app;
    std::filesystem::copy_file(here + "/wendrel", app.file("wendrel"));
    writeAll(app.file("Scripts.dat"), taskLines());
    writeAll(app.file("idle.wdx"), "");
    auto options = [&](const char* ini) { writeAll(app.file("Scripts.ini"), ini); };
    options(" 0 \r\n 0 \r\n");
    const Program wendrel{"Wendrel, 200 tasks", app.file("wendrel"), "Wendrel V1.00"};
    const Program minimal{"minimal Qt Widgets program", here + "/gui_minimal_window", "Minimal Qt Widgets"};

    std::vector<double> tw, tm;
    for (int k = 0; k < starts; ++k) {
        for (const Program* p : {&wendrel, &minimal}) {
            pid_t pid = -1;
            const double ms = startToMap(d, *p, pid);
            (p == &wendrel ? tw : tm).push_back(ms);
            if (pid > 0) stop(pid);
        }
    }
    const double mw = median(tw), mm = median(tm);
    std::printf("cold start to the main window mapped (median of %d): Wendrel %.1f ms, minimal Qt %.1f ms: "
                "%.2fx (target <= 2x)\n",
                starts, mw, mm, mw / mm);

    long rss[2], pss[2];
    for (const Program* p : {&wendrel, &minimal}) {
        pid_t pid = -1;
        startToMap(d, *p, pid);
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const std::string proc = "/proc/" + std::to_string(pid);
        const int k = p == &wendrel ? 0 : 1;
        rss[k] = procValue(proc + "/status", "VmRSS:");
        pss[k] = procValue(proc + "/smaps_rollup", "Pss:");
        if (p == &wendrel) {
            std::printf("idle, %s, one tick a second:\n", p->label.c_str());
            idle(pid, idleSeconds, "window shown:");
            statCalls(pid, std::min(idleSeconds, 10));
        } else {
            std::printf("idle, anchor: %s:\n", p->label.c_str());
            idle(pid, idleSeconds, "window shown:");
        }
        stop(pid);
    }
    // Minimize on start-up to the tray (minimized where there is no tray).
    options(" 1 \r\n 1 \r\n");
    pid_t pid = spawn(wendrel.path);
    std::this_thread::sleep_for(std::chrono::seconds(4));
    std::printf("idle, %s, started to the tray:\n", wendrel.label.c_str());
    idle(pid, idleSeconds, "in the tray (or minimized):");
    stop(pid);
    std::printf("memory 3 s after start: Wendrel RSS %.1f MB, PSS %.1f MB; minimal Qt RSS %.1f MB, PSS %.1f MB: "
                "RSS %.2fx (target <= 1.3x)\n",
                rss[0] / 1024.0, pss[0] / 1024.0, rss[1] / 1024.0, pss[1] / 1024.0,
                static_cast<double>(rss[0]) / static_cast<double>(rss[1]));
    XCloseDisplay(d);
    return 0;
}
