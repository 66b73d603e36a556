#pragma once
// Starts the programs of EXEC lines and keeps track of them. The command line
// is split into words (splitCommandLine) and the program is started directly
// with posix_spawn: no shell ever sees it, so characters such as ; | $() and
// backquotes stay plain argument text, and the big GUI process is never
// forked.
//
// A task's program is the started process and every process it starts: a
// launcher script that starts the real program and ends still leaves its
// program known. To keep such orphans ours, this process is made a child
// subreaper, and every program runs in a process group of its own, by which
// its descendants are recognised even after their parent has gone (unless
// they leave the group, as daemons do).
//
// Ended processes are reaped from the event loop: the SIGCHLD handler only
// writes to a pipe. Only processes of our own starts are reaped (and orphans
// adopted from them, which run in another process group than ours); children
// that QProcess owns are left to it.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "script/Platform.h"

class QSocketNotifier;

namespace wendrel {

// What the window services need to know of the started programs.
class ProgramProcesses {
public:
    virtual ~ProgramProcesses() = default;
    // The live processes of the program with this task id (the started one
    // and its descendants); just the id itself when it is not one of ours.
    virtual std::vector<int> processesOf(double taskId) = 0;
    // The file name of the started program ("xterm" for "/usr/bin/xterm -e
    // top"); empty for unknown ids.
    virtual std::string nameOf(double taskId) const = 0;
    // Seconds since the start; no value for unknown ids.
    virtual std::optional<double> secondsSinceStart(double taskId) const = 0;
};

class OutputCaptures;
class ProgramEnvironment;

class SpawnLauncher : public ProgramLauncher, public ProgramProcesses {
public:
    SpawnLauncher();
    ~SpawnLauncher() override;
    SpawnLauncher(const SpawnLauncher&) = delete;
    SpawnLauncher& operator=(const SpawnLauncher&) = delete;

    // Fails (no value) for an empty line, a quote left open, and a program
    // that cannot be found or run.
    std::optional<double> start(const std::string& commandLine) override;
    bool isRunning(double taskId) override;
    std::optional<ProgramExit> exitStatus(double taskId) override;

    std::vector<int> processesOf(double taskId) override;
    std::string nameOf(double taskId) const override;
    std::optional<double> secondsSinceStart(double taskId) const override;

    // Called right after each successful start with its task id.
    void setStartObserver(std::function<void(double)> observer) { observer_ = std::move(observer); }
    // The environment started programs get; none set: this process's own.
    void setEnvironment(const ProgramEnvironment* environment) { environment_ = environment; }
    // Where started programs' output and errors go; none set: nowhere. Never
    // to our own: from a menu nobody would see it.
    void setOutputCaptures(OutputCaptures* captures) { captures_ = captures; }

    // Collects the processes of ours that have ended. Runs by itself on
    // SIGCHLD; public for callers that must know at once.
    void reap();

    // How many ended programs are remembered for exitStatus.
    static constexpr std::size_t kRememberedEnded = 64;

private:
    struct Program {
        int pid = 0;
        unsigned long long startTicks = 0; // start time since boot, tells a reused pid apart
        double startedAt = 0;              // monotonic seconds
        std::string name;
        std::optional<ProgramExit> exit;
        std::vector<std::pair<int, unsigned long long>> family; // (pid, start ticks) seen so far
    };
    Program* find(double taskId);
    const Program* find(double taskId) const;
    std::vector<int> liveFamily(Program& p);
    void forgetOldest();

    std::map<int, Program> programs_;
    std::function<void(double)> observer_;
    const ProgramEnvironment* environment_ = nullptr;
    OutputCaptures* captures_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace wendrel
