// Start latency of due tasks through the main window's tick and the program's
// own launcher, each figure next to its anchor measured in the same run. The
// started program is probe_stamp, which stamps the wall clock first thing in
// its main; the anchor is a bare spawner that sleeps to each second on the
// absolute clock and posix_spawns the same probe.
//   1. One task due every second (Other, 1 s): how long after the second the
//      probe begins, median and p99 (target: 5 ms and 20 ms).
//   2. 200 tasks due in the same second: how long after the first probe the
//      200th begins (target: 400 ms), over several rounds.
// Usage: gui_tick_lateness [seconds for part 1, default 60] [rounds for part 2, default 5]
//        (under Xvfb: the launcher is the desktop's)
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

#include "platform/Desktop.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"
#include "session/Session.h"
#include "ui/main/Form1.h"

extern char** environ;

using namespace wendrel;

namespace {

std::string probe;

std::vector<long long> readStamps(const std::string& path) {
    std::vector<long long> v;
    std::ifstream in(path);
    for (long long ns; in >> ns;) v.push_back(ns);
    std::sort(v.begin(), v.end());
    return v;
}

double msIntoSecond(long long ns) { return static_cast<double>(ns % 1000000000LL) / 1e6; }

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5))];
}

// Waits until the file holds n stamps (at most ten seconds).
std::vector<long long> awaitStamps(const std::string& path, std::size_t n) {
    for (int k = 0; k < 1000; ++k) {
        auto v = readStamps(path);
        if (v.size() >= n) return v;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return readStamps(path);
}

void sleepToNextSecond() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    timespec at{now.tv_sec + 1, 0};
    while (clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &at, nullptr) != 0) {}
}

pid_t spawnProbe(const std::string& stamps) {
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(probe.c_str()), const_cast<char*>(stamps.c_str()), nullptr};
    return posix_spawn(&pid, probe.c_str(), nullptr, nullptr, argv, environ) == 0 ? pid : -1;
}

// A main window on the real timer and the desktop's launcher, with a script
// that starts the probe; message boxes are answered by the bench.
struct Window {
    TempFolder dir;
    Desktop desktop;
    FakeMessageBoxes messages;
    FakeLauncher noLaunch;
    std::unique_ptr<Session> session;
    std::unique_ptr<Form1> form;
    std::string stamps = dir.file("stamps");
    // launch: false to leave the program's launcher out (nothing is started).
    explicit Window(bool launch = true) {
        std::ofstream(dir.file("p.wdx"), std::ios::binary) << "EXEC " << probe << " " << stamps << "\r\n";
        Services s = desktop.services();
        s.messages = &messages;
        if (!launch) s.launcher = &noLaunch;
        session = std::make_unique<Session>(dir.path(), s);
        form = std::make_unique<Form1>(*session, Form1::Options{false, true});
        form->Form_Load();
        // The moment the tick hands each task to the script engine, so the
        // figures show how much of the lateness is the tick's own.
        session->scheduler().setRunner([this, run = session->scheduler().runner()](int i) {
            timespec ts{};
            clock_gettime(CLOCK_REALTIME, &ts);
            handedOver.push_back(static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
            run(i);
        });
    }
    std::vector<long long> handedOver;
    void add(std::int16_t other, std::int16_t unit) {
        General& g = session->general();
        TaskRecord& t = g.slot(g.append());
        t.Interval = OtherInterval;
        t.Other = other;
        t.MSOption = unit;
        t.Active = 1;
        t.ScriptFile = "p.wdx";
    }
    void runFor(int ms) {
        QTimer::singleShot(ms, qApp, &QApplication::quit);
        qApp->exec();
    }
};

void oneTaskEverySecond(int seconds) {
    std::vector<double> wendrel, bare, tick;
    {
        Window w;
        w.add(1, 1);
        w.form->show();
        w.runFor(seconds * 1000);
        w.form->hide();
        auto v = awaitStamps(w.stamps, 1);
        for (std::size_t k = 1; k < v.size(); ++k) wendrel.push_back(msIntoSecond(v[k])); // the first is the start-up's
        for (std::size_t k = 1; k < w.handedOver.size(); ++k) tick.push_back(msIntoSecond(w.handedOver[k]));
    }
    {
        TempFolder dir;
        const std::string stamps = dir.file("stamps");
        std::vector<pid_t> pids;
        for (int k = 0; k < seconds; ++k) {
            sleepToNextSecond();
            pids.push_back(spawnProbe(stamps));
            for (pid_t& p : pids)
                if (p > 0 && waitpid(p, nullptr, WNOHANG) == p) p = 0;
        }
        for (pid_t p : pids)
            if (p > 0) waitpid(p, nullptr, 0);
        for (long long ns : readStamps(stamps)) bare.push_back(msIntoSecond(ns));
    }
    std::printf("one task due every second, probe start after the second (%zu / %zu samples):\n", wendrel.size(),
                bare.size());
    std::printf("  Wendrel: median %.2f ms, p99 %.2f ms (target <= 5 / <= 20 ms)\n", percentile(wendrel, 0.5),
                percentile(wendrel, 0.99));
    std::printf("  anchor, bare posix_spawn at the second: median %.2f ms, p99 %.2f ms\n", percentile(bare, 0.5),
                percentile(bare, 0.99));
    std::printf("  of which the tick, up to handing the task to the script engine: median %.2f ms, p99 %.2f ms\n",
                percentile(tick, 0.5), percentile(tick, 0.99));
}

void twoHundredInOneSecond(int rounds) {
    std::vector<double> wendrelLast, wendrelFirst, bareLast, bareFirst, perStart;
    for (int r = 0; r < rounds; ++r) {
        Window w;
        for (int k = 0; k < General::kMaxTasks; ++k) w.add(59, 0); // due at the first tick, then in an hour
        w.runFor(1500);
        auto v = awaitStamps(w.stamps, General::kMaxTasks);
        if (v.size() == General::kMaxTasks) {
            wendrelFirst.push_back(msIntoSecond(v.front()));
            wendrelLast.push_back(static_cast<double>(v.back() - v.front()) / 1e6);
        }
        if (w.handedOver.size() >= General::kMaxTasks)
            perStart.push_back(static_cast<double>(w.handedOver[General::kMaxTasks - 1] - w.handedOver[0]) / 1e6 /
                               (General::kMaxTasks - 1));
    }
    std::vector<double> withoutLaunch;
    for (int r = 0; r < rounds; ++r) {
        Window w(false);
        for (int k = 0; k < General::kMaxTasks; ++k) w.add(59, 0);
        w.runFor(1500);
        if (w.handedOver.size() >= General::kMaxTasks)
            withoutLaunch.push_back(static_cast<double>(w.handedOver[General::kMaxTasks - 1] - w.handedOver[0]) / 1e6);
    }
    for (int r = 0; r < rounds; ++r) {
        TempFolder dir;
        const std::string stamps = dir.file("stamps");
        std::vector<pid_t> pids;
        sleepToNextSecond();
        for (int k = 0; k < General::kMaxTasks; ++k) pids.push_back(spawnProbe(stamps));
        for (pid_t p : pids)
            if (p > 0) waitpid(p, nullptr, 0);
        auto v = readStamps(stamps);
        if (v.size() == General::kMaxTasks) {
            bareFirst.push_back(msIntoSecond(v.front()));
            bareLast.push_back(static_cast<double>(v.back() - v.front()) / 1e6);
        }
    }
    std::printf("200 tasks due in the same second (%zu / %zu complete rounds):\n", wendrelLast.size(), bareLast.size());
    std::printf("  Wendrel: the 200th probe %.1f ms after the first (median; worst %.1f ms; target <= 400 ms); "
                "the first %.2f ms after the second\n",
                percentile(wendrelLast, 0.5), percentile(wendrelLast, 1.0), percentile(wendrelFirst, 0.5));
    std::printf("  anchor, bare posix_spawn of 200: the 200th %.1f ms after the first (median; worst %.1f ms); "
                "the first %.2f ms after the second\n",
                percentile(bareLast, 0.5), percentile(bareLast, 1.0), percentile(bareFirst, 0.5));
    std::printf("  Wendrel: %.2f ms from one task to the next (median); with the launcher left out, the 200th task "
                "is handed to the script engine %.1f ms after the first\n",
                percentile(perStart, 0.5), percentile(withoutLaunch, 0.5));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    probe = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath().toStdString() + "/probe_stamp";
    if (!QFileInfo(QString::fromStdString(probe)).isExecutable()) {
        std::printf("no probe at %s\n", probe.c_str());
        return 1;
    }
    oneTaskEverySecond(seconds);
    twoHundredInOneSecond(rounds);
    return 0;
}
