#pragma once
// The run history: every start of a task's script and what came of it, one
// event at a time. The script engine reports the events; RunLogFile keeps them
// as text lines in Wendrel.log beside the task list, and reads them back for
// the history window.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/DateTime.h"
#include "script/Platform.h"

namespace wendrel {

enum class RunEventKind {
    Started,          // the script's run begins
    ScriptMissing,    // no file of that name: the run ends
    ScriptUnreadable, // a name that is no readable file (a folder, no permission)
    Finished,         // the last line has been carried out
    ProgramStarted,   // pid and the command line
    ProgramNotFound,  // the command line that could not be started
    WaitBegun,        // a ",1" start waits for pid
    WaitEnded,        // pid has ended; exitStatus when the launcher knows it
};

struct RunEvent {
    DateTime time;
    RunEventKind kind = RunEventKind::Started;
    std::string task;    // the task's name, UTF-8
    std::string script;  // the script file's name, UTF-8
    std::string command; // the command line of a program start
    std::optional<double> pid;
    std::optional<ProgramExit> exitStatus;
};

class RunLog {
public:
    virtual ~RunLog() = default;
    // Records one event. Never fails visibly: a history that cannot be
    // written must not stop a script.
    virtual void add(const RunEvent& event) = 0;
};

// One event as the history shows it.
struct RunLogEntry {
    std::string time; // "yyyy-mm-dd hh:mm:ss", local time
    std::string task;
    std::string script;
    std::string what; // "started", "script missing", "program started: ..."
    bool operator==(const RunLogEntry&) const = default;
};

// A task's fixed-width text (Windows-1252, filled with blanks or code-0
// characters) as the history names it: UTF-8, without the filler.
std::string historyText(std::string recordText);

// The text line of an event, without a line end: time, task, script and what
// happened, separated by tabs. Tabs and line breaks inside the texts become
// blanks, and a long command line is cut, so each event stays one line.
std::string formatRunEvent(const RunEvent& event);
// The fields of a line; no value for a line that is not an event.
std::optional<RunLogEntry> parseRunLogLine(const std::string& line);

// The history in a folder: Wendrel.log, and Wendrel.log.1 holding the events
// before the last rotation. Lines end in LF, text is UTF-8.
class RunLogFile : public RunLog {
public:
    static constexpr std::size_t DefaultRotateBytes = std::size_t(1) << 20;
    static constexpr const char* FileName = "Wendrel.log";
    static constexpr const char* OldFileName = "Wendrel.log.1";

    explicit RunLogFile(std::string folder, std::size_t rotateBytes = DefaultRotateBytes)
        : folder_(std::move(folder)), rotateBytes_(rotateBytes) {}

    // Appends the event's line. When the line would take the file past
    // rotateBytes, the file first becomes Wendrel.log.1 (replacing the older
    // one) and a new Wendrel.log begins.
    void add(const RunEvent& event) override;

    // Every event of the folder's history, oldest first. Lines that are not
    // events (a torn last line, a hand edit) are passed over.
    static std::vector<RunLogEntry> readAll(const std::string& folder);

private:
    std::string folder_;
    std::size_t rotateBytes_;
};

// The newest events of a history (oldest first), newest first, at most max of
// them; with a task name, only that task's events.
std::vector<RunLogEntry> newestEvents(const std::vector<RunLogEntry>& all, std::size_t max,
                                      const std::optional<std::string>& task = std::nullopt);

} // namespace wendrel
