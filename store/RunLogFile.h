#pragma once
// The run history file: Wendrel.log beside the task list, one event a line,
// and Wendrel.log.1 holding the events before the last rotation. Lines end in
// LF, text is UTF-8.
#include <cstddef>
#include <functional>
#include <optional>
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
};

// The newest events of a history (oldest first), newest first, at most max of
// them; with a task name, only that task's events.
std::vector<RunLogEntry> newestEvents(const std::vector<RunLogEntry>& all, std::size_t max,
                                      const std::optional<std::string>& task = std::nullopt);

} // namespace wendrel
