#pragma once
// The run history file: Wendrel.log beside the task list, one event a line,
// and Wendrel.log.1 holding the events before the last rotation. Lines end in
// LF, text is UTF-8.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/RunEvent.h"

namespace wendrel {

// One event as the history shows it.
struct RunLogEntry {
    std::string time; // "yyyy-mm-dd hh:mm:ss", local time
    std::string task;
    std::string script;
    std::string what; // "started", "script missing", "program started: ..."
    bool operator==(const RunLogEntry&) const = default;
};

// The text line of an event, without a line end: time, task, script and what
// happened, separated by tabs. Tabs and line breaks inside the texts become
// blanks, and a long command line is cut, so each event stays one line.
std::string formatRunEvent(const RunEvent& event);
// What happened, in the words of the line's last field.
std::string runEventWhat(const RunEvent& event);
// The fields of a line; no value for a line that is not an event.
std::optional<RunLogEntry> parseRunLogLine(const std::string& line);

class RunLogFile : public RunLog {
public:
    static constexpr std::size_t kDefaultRotateBytes = std::size_t(1) << 20;

    explicit RunLogFile(std::string folder, std::size_t rotateBytes = kDefaultRotateBytes)
        : folder_(std::move(folder)), rotateBytes_(rotateBytes) {}

    // Appends the event's line. When the line would take the file past
    // rotateBytes, the file first becomes Wendrel.log.1 (replacing the older
    // one) and a new Wendrel.log begins. Something other than a regular file
    // in its place (a named pipe, a symbolic link) is neither written to nor
    // followed: the event is dropped and refused is told why.
    // A line that cannot be written (no permission, a full disk) is lost,
    // refused is told why, and the next line that is written is preceded by
    // one that says how many were lost.
    void add(const RunEvent& event) override;
    void setRefusalHandler(std::function<void(const std::string& text)> refused) { refused_ = std::move(refused); }

    // Every event of the folder's history, oldest first. Lines that are not
    // events (a torn last line, a hand edit) are passed over, and so is a
    // file that is not a regular one (see add).
    static std::vector<RunLogEntry> readAll(const std::string& folder);

private:
    std::string folder_;
    std::size_t rotateBytes_;
    std::function<void(const std::string&)> refused_;
    std::size_t lost_ = 0; // events not written since the last line that was
};

// The newest events of a folder's history for a view that follows it: reads
// only what it keeps, from the end of Wendrel.log backwards (and of
// Wendrel.log.1 when that holds too few), and afterwards only what is
// appended. Holds the events kept and one block of the file, however large
// the files are. A last line without its line end is still being written: it
// is read once it is complete.
class RunLogReader {
public:
    static constexpr std::size_t kBlockBytes = 64 * 1024;

    // At most max events, of the task when one is given.
    RunLogReader(std::string folder, std::size_t max, std::optional<std::string> task = std::nullopt)
        : folder_(std::move(folder)), max_(max), task_(std::move(task)) {}

    // Reads the newest events afresh.
    void reload();
    // Reads what was appended to Wendrel.log since the last reading. After a
    // rotation the rest of the old file is read from Wendrel.log.1 and the new
    // file from its start; a file cut short, or replaced by another, is read
    // afresh.
    struct Change {
        std::size_t added = 0; // new events at the newest end
        bool reloaded = false; // the events were read afresh
        bool any() const { return added > 0 || reloaded; }
    };
    Change refresh();

    // Oldest first.
    const std::deque<RunLogEntry>& events() const { return events_; }
    // The task names of the events read, also of those of other tasks passed
    // over (up to kMaxNames).
    const std::set<std::string>& taskNames() const { return names_; }
    static constexpr std::size_t kMaxNames = 1000;
    // Bytes read from the files so far.
    std::uint64_t bytesRead() const { return bytesRead_; }

private:
    // Takes an event read going backwards (true: more are wanted).
    bool takeOlder(const std::string& line);
    // Takes an event read going forwards; counts it in added.
    void takeNewer(const std::string& line, std::size_t& added);
    // Reads the complete lines of fd from offset to size, returning the
    // offset after the last line end.
    std::uint64_t readForward(int fd, std::uint64_t offset, std::uint64_t size, std::size_t& added);
    std::optional<RunLogEntry> parseWanted(const std::string& line);

    std::string folder_;
    std::size_t max_;
    std::optional<std::string> task_;
    std::deque<RunLogEntry> events_;
    std::set<std::string> names_;
    std::uint64_t bytesRead_ = 0;
    // Wendrel.log as last read: which file, and where its unread part begins.
    std::optional<std::pair<std::uint64_t, std::uint64_t>> file_; // (device, inode)
    std::uint64_t offset_ = 0;
};

} // namespace wendrel
