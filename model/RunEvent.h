#pragma once
// The run history's events: every start of a task's script and what came of
// it. The script engine reports them through a RunLog; the history file
// (store/RunLogFile.h) keeps them.
#include <cstddef>
#include <optional>
#include <string>

#include "model/DateTime.h"

namespace wendrel {

// How a started program ended: its exit code, or the signal that ended it.
struct ProgramExit {
    int code = 0;
    int signal = 0; // not 0: ended by this signal (code is then 0)
    bool operator==(const ProgramExit&) const = default;
};

enum class RunEventKind {
    Started,          // the script's run begins
    ScriptMissing,    // no file of that name: the run ends
    ScriptUnreadable, // a name that is no readable file (a folder, no permission)
    Finished,         // the last line has been carried out
    StoppedAtExit,    // the program left while the script ran: its remaining lines were not carried out
    ProgramStarted,   // pid and the command line
    ProgramNotFound,  // the command line that could not be started
    WaitBegun,        // a ",1" start waits for pid
    WaitEnded,        // pid has ended; exitStatus when the launcher knows it
    WaitLeftRunning,  // the wait for pid ended (the program left, a failure) while pid still runs
    KeysNotTyped,     // characters of a TYPE line the keyboard could not produce, in command
    TypingHeld,       // a TYPE line waits: the session is locked
    TypingResumed,    // the session is unlocked and the held TYPE line goes on
    EventsLost,       // written by the history itself: lost events could not be written before this
};

struct RunEvent {
    DateTime time;
    RunEventKind kind = RunEventKind::Started;
    std::string task;    // the task's name, UTF-8
    std::string script;  // the script file's name, UTF-8
    std::string command; // the command line of a program start
    std::optional<double> pid;
    std::optional<ProgramExit> exitStatus;
    std::size_t lost = 0; // EventsLost: how many
};

// Whether the event tells of a run that went wrong: a script that could not
// be read, a program that could not be started or that ended with a non-zero
// status or by a signal, keys that could not be typed.
inline bool isFailure(const RunEvent& e) {
    switch (e.kind) {
        case RunEventKind::ScriptMissing:
        case RunEventKind::ScriptUnreadable:
        case RunEventKind::ProgramNotFound:
        case RunEventKind::KeysNotTyped:
            return true;
        case RunEventKind::WaitEnded:
            return e.exitStatus && (e.exitStatus->code != 0 || e.exitStatus->signal != 0);
        default:
            return false;
    }
}

class RunLog {
public:
    virtual ~RunLog() = default;
    // Records one event. Never fails visibly: a history that cannot be
    // written must not stop a script.
    virtual void add(const RunEvent& event) = 0;
};

} // namespace wendrel
