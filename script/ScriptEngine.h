#pragma once
// Carries out a task's script file line by line, and the waits that keep the
// user interface alive meanwhile.
#include <string>

#include "model/DateTime.h"
#include "model/General.h"
#include "script/Platform.h"

namespace wendrel {

struct ScriptEnvironment {
    ProgramLauncher& launcher;
    WindowActivator& activator;
    KeySender& keys;
    MessageBoxes& messages;
    EventPump& pump;
    const Clock& clock;
};

class ScriptEngine {
public:
    ScriptEngine(General& g, std::string folder, ScriptEnvironment env)
        : g_(g), folder_(std::move(folder)), env_(env) {}

    // Runs the script of the task in slot index; returns when the whole script
    // has been carried out. The caller has set Running to 1.
    void RunScript(int index);
    // Waits the given number of seconds while processing events.
    void Pause(float seconds);
    // Waits until the program with this task id has no window any more,
    // bringing its window to the front once a second.
    void WaitForCompletion(double taskId);

    // The program is leaving: every running script stops at its next wait,
    // message or line, and no script starts any more. Stays set.
    void requestStop() { stopping_ = true; }
    // Consulted by every wait and the line loop; long steps (typing, waiting
    // for a program) check it too so that they give way.
    bool stopping() const { return stopping_; }

private:
    void runLine(int index, const std::string& line);

    General& g_;
    std::string folder_;
    ScriptEnvironment env_;
    bool stopping_ = false;
};

} // namespace wendrel
