#include "platform/OutputCaptures.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace wendrel {

namespace {
// A program that writes without pause is looked at this often, not at every write.
constexpr int kSettleMs = 250;
// A capture's name is its program's start to the second; the history's time
// of the start may be a second or two off.
constexpr std::int64_t kStartSlackSeconds = 3;
constexpr const char* kSuffix = ".out";

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Keeps the last `kept` bytes of the file: they move to its beginning and the
// rest is cut off. The program appends, so its next write lands after them;
// what it writes during these few calls may be lost.
void keepLast(const std::string& path, std::size_t kept) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) > kept) {
        std::string tail(kept, '\0');
        const ssize_t n = ::pread(fd, tail.data(), kept, st.st_size - static_cast<off_t>(kept));
        if (n == static_cast<ssize_t>(kept) && ::pwrite(fd, tail.data(), kept, 0) == n) {
            [[maybe_unused]] const int cut = ::ftruncate(fd, static_cast<off_t>(kept));
        }
    }
    ::close(fd);
}

struct Entry {
    std::string path;
    std::size_t size;
    std::int64_t modified; // nanoseconds: captures of one second are told apart
};
} // namespace

OutputCaptures::OutputCaptures(std::string folder, CaptureLimits limits) : folder_(std::move(folder)), limits_(limits) {
    ::mkdir(folder_.c_str(), 0700);
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ >= 0) {
        notifier_ = new QSocketNotifier(inotify_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &OutputCaptures::onWritten);
    }
    prune(); // also watches the captures of programs that outlived the last run
}

OutputCaptures::~OutputCaptures() {
    delete notifier_;
    if (inotify_ >= 0) ::close(inotify_);
    for (const auto& [fd, path] : pending_) ::close(fd);
}

std::string OutputCaptures::fileName(int pid, std::int64_t startedAt) {
    return std::to_string(pid) + "-" + std::to_string(startedAt) + kSuffix;
}

int OutputCaptures::open() {
    prune();
    // Named by its program once that has started.
    const std::string path =
        folder_ + "/new-" + std::to_string(::getpid()) + "-" + std::to_string(++counter_) + kSuffix;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    // Started with a standard descriptor closed, we could get 0 to 2 here,
    // which the program's own would replace before they are copied.
    if (fd >= 0 && fd < 3) {
        const int high = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
        ::close(fd);
        fd = high;
    }
    if (fd >= 0) pending_[fd] = path;
    return fd;
}

void OutputCaptures::started(int fd, int pid) {
    const auto it = pending_.find(fd);
    if (it == pending_.end()) return;
    const std::string path = folder_ + "/" + fileName(pid, std::time(nullptr));
    if (::rename(it->second.c_str(), path.c_str()) == 0) {
        running_[pid] = path;
        watch(path);
        it->second.clear(); // renamed: failed() below must not remove it
    }
    failed(fd); // closes and forgets the descriptor
}

void OutputCaptures::failed(int fd) {
    const auto it = pending_.find(fd);
    if (it == pending_.end()) return;
    if (!it->second.empty()) ::unlink(it->second.c_str());
    ::close(fd);
    pending_.erase(it);
}

void OutputCaptures::ended(int pid) {
    const auto it = running_.find(pid);
    if (it == running_.end()) return;
    keepLast(it->second, limits_.keptBytes);
    running_.erase(it);
}

void OutputCaptures::watch(const std::string& path) {
    if (inotify_ < 0) return;
    const int wd = ::inotify_add_watch(inotify_, path.c_str(), IN_MODIFY | IN_DONT_FOLLOW);
    if (wd >= 0) watched_[wd] = path;
}

// Drains the kernel's events, cuts what has grown too much, and then rests a
// moment: a program writing without pause costs a few looks a second.
void OutputCaptures::onWritten() {
    std::set<std::string> written;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(inotify_, buffer, sizeof buffer)) > 0;) {
        for (char* p = buffer; p < buffer + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            const auto it = watched_.find(e->wd);
            if (it != watched_.end()) {
                if (e->mask & IN_IGNORED) watched_.erase(it); // the file is gone
                else written.insert(it->second);
            }
            p += sizeof(inotify_event) + e->len;
        }
    }
    for (const std::string& path : written) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && static_cast<std::size_t>(st.st_size) > limits_.trimAtBytes)
            keepLast(path, limits_.keptBytes);
    }
    notifier_->setEnabled(false);
    QTimer::singleShot(kSettleMs, this, [this] { notifier_->setEnabled(true); });
}

// Keeps the newest captures within the limits; a capture whose program
// still runs is always kept (deleting it would not free its space).
// Leftovers of a start that never finished ("new-...") go too.
void OutputCaptures::prune() {
    std::vector<Entry> entries;
    if (DIR* dir = ::opendir(folder_.c_str())) {
        while (const dirent* d = ::readdir(dir)) {
            const std::string name = d->d_name;
            if (!endsWith(name, kSuffix)) continue;
            const std::string path = folder_ + "/" + name;
            struct stat st {};
            if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            if (name.rfind("new-", 0) == 0) {
                if (std::none_of(pending_.begin(), pending_.end(), [&](const auto& p) { return p.second == path; }))
                    ::unlink(path.c_str());
                continue;
            }
            entries.push_back(
                {path, static_cast<std::size_t>(st.st_size), st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec});
        }
        ::closedir(dir);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.modified > b.modified; });
    std::set<std::string> live;
    for (const auto& [pid, path] : running_) live.insert(path);
    std::size_t count = 0, total = 0;
    std::set<std::string> kept;
    for (const Entry& e : entries) {
        const bool fits = count < limits_.maxRuns && total + e.size <= limits_.maxTotalBytes;
        if (fits || live.count(e.path)) {
            ++count;
            total += e.size;
            kept.insert(e.path);
        } else {
            ::unlink(e.path.c_str());
        }
    }
    // New: watched from now on (the kernel gives a file watched twice its old watch).
    for (const std::string& path : kept)
        if (std::none_of(watched_.begin(), watched_.end(), [&](const auto& w) { return w.second == path; }))
            watch(path);
}

std::optional<std::string> OutputCaptures::read(const std::string& folder, int pid, std::int64_t startedAt,
                                                std::size_t max) {
    for (std::int64_t t = startedAt - kStartSlackSeconds; t <= startedAt + kStartSlackSeconds; ++t) {
        const std::string path = folder + "/" + fileName(pid, t);
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st {};
        std::string text;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            const off_t from = std::max<off_t>(0, st.st_size - static_cast<off_t>(max));
            text.resize(static_cast<std::size_t>(st.st_size - from));
            const ssize_t n = ::pread(fd, text.data(), text.size(), from);
            text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        }
        ::close(fd);
        return text;
    }
    return std::nullopt;
}

} // namespace wendrel
