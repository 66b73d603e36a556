// What starting a program costs the GUI process: the mean time of one start
// of /bin/true (a) through the program launcher (split, posix_spawn, the
// record of the program), (b) through a bare posix_spawn as the anchor, and
// (c) through QProcess::startDetached, which the launcher replaced; then (d)
// one question whether a started program still runs (a look at every process
// of the system), with the number of processes.
// Usage: gui_program_start [starts]   (default 200)
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>

#include "platform/Launcher.h"

extern char** environ;

namespace {
template <typename F> double millisecondsEach(int n, F&& f) {
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i) f();
    return static_cast<double>(t.nsecsElapsed()) / 1e6 / n;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 200;
    wendrel::SpawnLauncher launcher;
    double last = 0;
    const double ours = millisecondsEach(n, [&] { last = launcher.start("/bin/true").value_or(0); });
    QCoreApplication::processEvents(); // reaps them
    const double bare = millisecondsEach(n, [] {
        pid_t pid = 0;
        char* args[] = {const_cast<char*>("/bin/true"), nullptr};
        if (posix_spawn(&pid, "/bin/true", nullptr, nullptr, args, environ) == 0) waitpid(pid, nullptr, 0);
    });
    const double qt = millisecondsEach(n, [] { QProcess::startDetached("/bin/true", {}); });
    // Questions further apart than the launcher keeps one look at the processes.
    double query = 0;
    for (int i = 0; i < 20; ++i) {
        QThread::msleep(60);
        query += millisecondsEach(1, [&] { launcher.isRunning(last); }) / 20;
    }
    std::printf("one start: launcher %.3f ms, bare posix_spawn (and wait) %.3f ms, QProcess::startDetached %.3f ms\n",
                ours, bare, qt);
    std::printf("whether a program still runs: %.3f ms per question, %lld processes\n", query,
                QDir("/proc").entryList({"[1-9]*"}, QDir::Dirs).size());
    return 0;
}
