#include "script/ScriptEngine.h"

#include <algorithm>

namespace wendrel {

// The script lines are not carried out yet: the run only ends and frees the task.
void ScriptEngine::RunScript(int index) { g_.slot(index).Running = 0; }

// Waits on the monotonic clock, so a wait across midnight still ends on time,
// and lets the event pump sleep between polls instead of spinning.
void ScriptEngine::Pause(float seconds) {
    const double end = env_.clock.monotonicSeconds() + static_cast<double>(seconds);
    for (;;) {
        const double remaining = end - env_.clock.monotonicSeconds();
        if (remaining <= 0) break;
        env_.pump.processEvents(std::min(remaining, 0.05));
    }
}

// Brings the program's window to the front once a second until it is gone.
void ScriptEngine::WaitForCompletion(double taskId) {
    for (;;) {
        Pause(1.0f);
        std::string failure;
        const ActivateResult r = env_.activator.activate(taskId, failure);
        if (r == ActivateResult::NoSuchWindow) return;
        if (r == ActivateResult::Failed) {
            env_.messages.show(failure, "Sub WaitForCompletion", MsgButtons::Ok, MsgIcon::None);
            return;
        }
    }
}

} // namespace wendrel
