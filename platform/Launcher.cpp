#include "platform/Launcher.h"

#include "platform/OutputCaptures.h"
#include "platform/ProgramEnvironment.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "script/CommandLine.h"

extern char** environ;

namespace wendrel {

namespace {

// One line of /proc/<pid>/stat, the fields we need.
struct ProcessInfo {
    int pid = 0, ppid = 0, group = 0;
    char state = '?';
    unsigned long long startTicks = 0;
    bool alive() const { return state != 'Z' && state != 'X' && state != 'x'; }
};

// Read with plain system calls: the whole table is read on every question
// about a program, so each file must cost little.
std::optional<ProcessInfo> readProcess(const char* statPath) {
    char line[1024];
    const int fd = ::open(statPath, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    const ssize_t n = ::read(fd, line, sizeof line - 1);
    ::close(fd);
    if (n <= 0) return std::nullopt;
    line[n] = '\0';
    // The command name in parentheses may itself hold blanks and parentheses.
    const char* close = std::strrchr(line, ')');
    if (!close) return std::nullopt;
    ProcessInfo p;
    p.pid = std::atoi(line);
    // After the name: state ppid pgrp, then 16 fields up to starttime.
    char* next = nullptr;
    p.state = close[2];
    p.ppid = static_cast<int>(std::strtol(close + 3, &next, 10));
    p.group = static_cast<int>(std::strtol(next, &next, 10));
    for (int i = 0; i < 16; ++i) std::strtoll(next, &next, 10);
    p.startTicks = std::strtoull(next, &next, 10);
    if (close[1] != ' ' || p.startTicks == 0) return std::nullopt;
    return p;
}

std::optional<ProcessInfo> readProcess(int pid) {
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    return readProcess(path);
}

double monotonicNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Every process of the system. A process that ends while the table is read
// is simply missing from it. One look serves the questions of the next few
// milliseconds (a wait asks for the windows and then for the processes),
// unless a fresh one is asked for.
const std::vector<ProcessInfo>& processTable(bool fresh = false) {
    static std::vector<ProcessInfo> table;
    static double readAt = -1;
    constexpr double kFreshSeconds = 0.05;
    if (!fresh && readAt >= 0 && monotonicNow() - readAt < kFreshSeconds) return table;
    readAt = monotonicNow();
    table.clear();
    DIR* dir = ::opendir("/proc");
    if (!dir) return table;
    while (const dirent* e = ::readdir(dir)) {
        if (e->d_name[0] < '1' || e->d_name[0] > '9') continue;
        char path[300];
        std::snprintf(path, sizeof path, "/proc/%s/stat", e->d_name);
        if (auto p = readProcess(path)) table.push_back(*p);
    }
    ::closedir(dir);
    return table;
}

// Our own children, from the kernel's per-thread child lists when it has
// them, otherwise from the whole table.
std::vector<int> ownChildren() {
    std::vector<int> children;
    bool listed = false;
    if (DIR* dir = ::opendir("/proc/self/task")) {
        while (const dirent* e = ::readdir(dir)) {
            if (e->d_name[0] == '.') continue;
            std::ifstream in(std::string("/proc/self/task/") + e->d_name + "/children");
            if (!in) continue;
            listed = true;
            for (int pid; in >> pid;) children.push_back(pid);
        }
        ::closedir(dir);
    }
    if (!listed)
        for (const ProcessInfo& p : processTable(true))
            if (p.ppid == ::getpid()) children.push_back(p.pid);
    return children;
}

ProgramExit exitOf(int status) {
    if (WIFSIGNALED(status)) return {0, WTERMSIG(status)};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 0, 0};
}

// The SIGCHLD handler only wakes the event loop through this pipe. A handler
// that was installed before ours (QProcess may have one) is still called.
int childPipe[2] = {-1, -1};
struct sigaction previousChildAction {};

extern "C" void onChildSignal(int signal, siginfo_t* info, void* context) {
    const int saved = errno;
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = ::write(childPipe[1], &byte, 1); // a full pipe already says it
    errno = saved;
    if (previousChildAction.sa_flags & SA_SIGINFO) {
        if (previousChildAction.sa_sigaction) previousChildAction.sa_sigaction(signal, info, context);
    } else if (previousChildAction.sa_handler != SIG_DFL && previousChildAction.sa_handler != SIG_IGN) {
        previousChildAction.sa_handler(signal);
    }
}

} // namespace

SpawnLauncher::SpawnLauncher() {
    // Orphans of the programs we start become our children instead of
    // init's, so a launcher script's program stays findable and is reaped.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    if (childPipe[0] < 0 && ::pipe2(childPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        struct sigaction sa {};
        sa.sa_sigaction = onChildSignal;
        sa.sa_flags = SA_SIGINFO | SA_RESTART | SA_NOCLDSTOP;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGCHLD, &sa, &previousChildAction);
    }
    if (childPipe[0] >= 0) {
        notifier_ = new QSocketNotifier(childPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_, &QSocketNotifier::activated, [this] {
            char buf[64];
            while (::read(childPipe[0], buf, sizeof buf) > 0) {}
            reap();
        });
    }
}

SpawnLauncher::~SpawnLauncher() {
    // The handler and its pipe stay for the next launcher of this process.
    delete notifier_;
}

std::optional<double> SpawnLauncher::start(const std::string& commandLine) {
    const std::optional<std::vector<std::string>> words = splitCommandLine(commandLine);
    if (!words || words->empty() || words->front().empty()) return std::nullopt;
    std::vector<char*> argv;
    for (const std::string& w : *words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    // Input from nothing: the program must not read the terminal we may have
    // been started from. No descriptor of ours leaks into it.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    // Output and errors go to the run's capture (or nowhere).
    const int capture = captures_ ? captures_->open() : -1;
    if (capture >= 0) {
        posix_spawn_file_actions_adddup2(&actions, capture, 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    // A process group of its own (its descendants are known by it, and a
    // Ctrl+C in the terminal we were started from does not reach it), with
    // every signal as a new program expects it: none blocked, none caught or
    // ignored.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> entries;
    std::vector<char*> envp;
    if (environment_) {
        entries = environment_->entries();
        for (std::string& e : entries) envp.push_back(e.data());
        envp.push_back(nullptr);
    }
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environment_ ? envp.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (capture >= 0) {
        if (error != 0 || pid <= 0) captures_->failed(capture);
        else captures_->started(capture, pid);
    }
    if (error != 0 || pid <= 0) return std::nullopt;

    Program p;
    p.pid = pid;
    p.startedAt = monotonicNow();
    const std::string& first = words->front();
    p.name = first.substr(first.rfind('/') == std::string::npos ? 0 : first.rfind('/') + 1);
    if (auto info = readProcess(pid)) p.startTicks = info->startTicks;
    programs_[pid] = std::move(p);
    forgetOldest();
    if (observer_) observer_(static_cast<double>(pid));
    return static_cast<double>(pid);
}

SpawnLauncher::Program* SpawnLauncher::find(double taskId) {
    if (!(taskId >= 1 && taskId <= 0x7fffffff)) return nullptr;
    auto it = programs_.find(static_cast<int>(taskId));
    return it == programs_.end() ? nullptr : &it->second;
}

const SpawnLauncher::Program* SpawnLauncher::find(double taskId) const {
    return const_cast<SpawnLauncher*>(this)->find(taskId);
}

void SpawnLauncher::reap() {
    for (auto& [pid, p] : programs_) {
        int status = 0;
        if (p.exit || ::waitpid(pid, &status, WNOHANG) != pid) continue;
        p.exit = exitOf(status);
        if (captures_) captures_->ended(pid);
    }
    // Orphans adopted from the programs' process groups. Children in our own
    // group are not ours to reap (QProcess keeps its own).
    const pid_t ourGroup = ::getpgrp();
    for (int child : ownChildren()) {
        if (auto it = programs_.find(child); it != programs_.end() && !it->second.exit) continue; // reaped above
        const std::optional<ProcessInfo> info = readProcess(child);
        if (info && !info->alive() && info->group != ourGroup) ::waitpid(child, nullptr, WNOHANG);
    }
}

// The started process, every process it started (also after their parent
// ended: they keep the program's process group unless they left it), and the
// descendants of all of these.
std::vector<int> SpawnLauncher::liveFamily(Program& p) {
    const std::vector<ProcessInfo>& table = processTable();
    std::vector<int> members;
    auto isMember = [&](int pid) { return std::find(members.begin(), members.end(), pid) != members.end(); };
    bool pidReused = false;
    for (const ProcessInfo& info : table) {
        if (info.pid == p.pid && info.startTicks != p.startTicks) pidReused = true;
    }
    for (const ProcessInfo& info : table) {
        const bool seen =
            std::find(p.family.begin(), p.family.end(), std::pair(info.pid, info.startTicks)) != p.family.end();
        const bool started = info.pid == p.pid && info.startTicks == p.startTicks;
        const bool inGroup = !pidReused && info.group == p.pid && info.startTicks >= p.startTicks;
        if (seen || started || inGroup) members.push_back(info.pid);
    }
    for (bool grown = true; grown;) {
        grown = false;
        for (const ProcessInfo& info : table)
            if (!isMember(info.pid) && isMember(info.ppid)) {
                members.push_back(info.pid);
                grown = true;
            }
    }
    p.family.clear();
    std::vector<int> live;
    for (const ProcessInfo& info : table) {
        if (!isMember(info.pid)) continue;
        p.family.emplace_back(info.pid, info.startTicks);
        if (info.alive()) live.push_back(info.pid);
    }
    return live;
}

bool SpawnLauncher::isRunning(double taskId) {
    Program* p = find(taskId);
    if (!p) return false;
    reap();
    return !liveFamily(*p).empty();
}

std::optional<ProgramExit> SpawnLauncher::exitStatus(double taskId) {
    reap();
    const Program* p = find(taskId);
    return p ? p->exit : std::nullopt;
}

std::vector<int> SpawnLauncher::processesOf(double taskId) {
    Program* p = find(taskId);
    if (!p) {
        if (taskId >= 1 && taskId <= 0x7fffffff) return {static_cast<int>(taskId)};
        return {};
    }
    return liveFamily(*p);
}

std::string SpawnLauncher::nameOf(double taskId) const {
    const Program* p = find(taskId);
    return p ? p->name : std::string();
}

std::optional<double> SpawnLauncher::secondsSinceStart(double taskId) const {
    const Program* p = find(taskId);
    if (!p) return std::nullopt;
    return monotonicNow() - p->startedAt;
}

// Ended programs are remembered up to a number; running ones always.
void SpawnLauncher::forgetOldest() {
    std::size_t ended = 0;
    for (const auto& [pid, p] : programs_) ended += p.exit.has_value();
    while (ended > kRememberedEnded) {
        auto oldest = programs_.end();
        for (auto it = programs_.begin(); it != programs_.end(); ++it)
            if (it->second.exit && (oldest == programs_.end() || it->second.startedAt < oldest->second.startedAt))
                oldest = it;
        programs_.erase(oldest);
        --ended;
    }
}

} // namespace wendrel
