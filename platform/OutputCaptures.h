#pragma once
// What the started programs write: each program's standard output and error
// go to a capture file of its own in a private folder (captures/ in the data
// folder), named by its pid and the second it started.
//
// The program writes to the file directly (so it may outlive Wendrel and go
// on writing), and the files are kept small from outside: the kernel tells us
// (inotify) when a kept capture is written, and one that has grown past
// trimAtBytes is cut to its last keptBytes; when the started process ends its
// capture is cut to keptBytes at once. Only the newest maxRuns captures are
// kept, within maxTotalBytes together; older ones are deleted when a program
// starts. A capture whose program still runs is never deleted.
//
// Nothing runs while no capture is written: no timer, no polling.
#include <QObject>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

class QSocketNotifier;

namespace wendrel {

struct CaptureLimits {
    std::size_t keptBytes = 64 * 1024;
    std::size_t trimAtBytes = 128 * 1024;
    std::size_t maxRuns = 100;
    std::size_t maxTotalBytes = 4 * 1024 * 1024;
};

class OutputCaptures : public QObject {
    Q_OBJECT
public:
    // folder: the captures' own folder, made (for the owner only) when missing.
    explicit OutputCaptures(std::string folder, CaptureLimits limits = {});
    ~OutputCaptures() override;

    // A new capture for a program about to start: the descriptor it gets as
    // its output and error (opened for appending), or -1 when none could be
    // made. Then started() or failed() with it, which close it.
    int open();
    void started(int fd, int pid);
    void failed(int fd);
    // The started process has ended: its capture keeps its last keptBytes.
    void ended(int pid);

    const std::string& folder() const { return folder_; }

    // The capture's file name for a program and the second it started.
    static std::string fileName(int pid, std::int64_t startedAt);
    // The last bytes (at most max) of the capture of the program with this
    // pid that started within a few seconds of startedAt (seconds since the
    // epoch); no value when there is none.
    static std::optional<std::string> read(const std::string& folder, int pid, std::int64_t startedAt,
                                           std::size_t max = CaptureLimits{}.keptBytes);

private:
    void prune();
    void watch(const std::string& path);
    void onWritten();

    std::string folder_;
    CaptureLimits limits_;
    int inotify_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::map<int, std::string> watched_; // inotify watch -> file
    std::map<int, std::string> pending_; // descriptor handed out -> its file, until started or failed
    std::map<int, std::string> running_; // pid -> its file, while the started process runs
    unsigned counter_ = 0;
};

} // namespace wendrel
