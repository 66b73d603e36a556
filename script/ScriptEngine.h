#pragma once
// Carries out a task's script file line by line, and the waits that keep the
// user interface alive meanwhile.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/DateTime.h"
#include "model/General.h"
#include "script/Platform.h"
#include "model/RunEvent.h"

namespace wendrel {

struct ScriptEnvironment {
    ProgramLauncher& launcher;
    WindowActivator& activator;
    KeySender& keys;
    MessageBoxes& messages;
    EventPump& pump;
    const Clock& clock;
    SessionLock* sessionLock = nullptr; // none: typing is never held
};

class ScriptEngine {
public:
    ScriptEngine(General& g, std::string folder, ScriptEnvironment env)
        : g_(g), folder_(std::move(folder)), env_(env) {}

    // Runs the script of the task in slot index; returns when the whole script
    // has been carried out. The caller has set Running to 1. A missing script
    // file ends the run at once and marks the task ScriptMissing.
    void RunScript(int index);
    // Whether the script file of the task in slot index is there (it may
    // still be unreadable).
    bool scriptPresent(int index) const;
    // Waits the given number of seconds while processing events.
    void Pause(float seconds);
    // Waits until the program with this task id has ended (no process of it
    // runs and it has no window), bringing its window to the front once a
    // second.
    void WaitForCompletion(double taskId);

    // How long keystrokes right after a program start wait for its window.
    static constexpr double kWindowWaitSeconds = 10;
    // A program that exits this soon after its start may have handed its
    // work to a running instance whose new window is still to come.
    static constexpr double kQuickExitSeconds = 2;
    // The keystrokes of a TYPE line go out in chunks of this many, with
    // events processed between two chunks: about a tenth of a second of
    // typing each.
    static constexpr std::size_t kTypingChunkStrokes = 32;
    // While the session is locked, typing asks this often whether it still is.
    static constexpr double kLockPollSeconds = 0.25;

    // Where every start of a script and its outcome are recorded; none unless set.
    void setRunLog(RunLog* log) { log_ = log; }
    // Told, in a sentence for the user, why a script file could not be read
    // (a named pipe in its place, no permission).
    void setRefusalHandler(std::function<void(const std::string& text)> refused) { refused_ = std::move(refused); }

    // The program is leaving: every running script stops at its next wait,
    // message or line, and no script starts any more. Stays set.
    void requestStop() { stopping_ = true; }
    // Consulted by every wait and the line loop; long steps (typing, waiting
    // for a program) check it too so that they give way.
    bool stopping() const { return stopping_; }

private:
    void runLine(int index, const std::string& line);
    void markMissing(int index);
    // Records an event of the run of the task in slot index.
    void logRun(int index, RunEventKind kind, const std::string& command = {}, std::optional<double> pid = {},
                std::optional<ProgramExit> exitStatus = {});
    void typeKeys(int index, const std::string& keys);
    bool sessionLocked() const { return env_.sessionLock && env_.sessionLock->locked(); }
    bool waitUntilUnlocked(int index);
    // The lines of a missing script's box that name the task and the file.
    std::string whoseScript(int index, const std::string& file) const;
    bool activateForTyping(double taskId);
    bool yieldToEvents(double maxWaitSeconds);
    void rememberStart(double taskId);
    // Seconds since this engine started the program; no value when it did
    // not start it in the last kWindowWaitSeconds.
    std::optional<double> secondsSinceStart(double taskId) const;

    General& g_;
    std::string folder_;
    ScriptEnvironment env_;
    std::vector<std::pair<double, double>> recentStarts_; // (task id, monotonic time of the start)
    RunLog* log_ = nullptr;
    std::function<void(const std::string&)> refused_;
    bool stopping_ = false;
};

} // namespace wendrel
