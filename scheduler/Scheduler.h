#pragma once
// The one-second tick: decides which active tasks are due and runs them.
//
// A tick walks the task table once, in slot order, and runs every due task's
// script right away through the runner, which returns only when the script is
// done. Scripts that wait let further ticks run nested inside the runner, so a
// tick may be entered again while an earlier one is still running a script.
#include <cstdint>
#include <functional>

#include "model/DateTime.h"
#include "model/General.h"

namespace wendrel {

class Scheduler {
public:
    using Runner = std::function<void(int index)>;
    Scheduler(General& g, const Clock& clock, Runner runScript)
        : g_(g), clock_(clock), run_(std::move(runScript)) {}

    // One walk of the task table; runs every due task, in table order.
    void Tick();

    // Starts the task in slot index at once, the way the tick starts a due
    // task (Running set, the script run to its end), whatever its interval and
    // Active say. An Other task's interval counts again from this start.
    // Starts nothing, and returns false, when the slot holds no task or the
    // task is marked as running.
    bool RunNow(int index);

    // Replaces the script runner (the window's tests run fake scripts).
    void setRunner(Runner runScript) { run_ = std::move(runScript); }

    // Whether the task would be started at this moment. Reads the clock afresh
    // for every part of its interval's rule, as the tick does. Fixed-time tasks
    // (Hourly to Yearly) also need Running = 0 and no start yet in the current
    // minute; Other tasks look at LastRun only. Active is not looked at here.
    static bool IsDue(const TaskRecord& task, const Clock& clock);

    // The length of the Other interval in seconds: Other minutes when MSOption
    // is 0, else Other seconds. Counted in 32 bits, so an Other beyond the
    // editor's 0 to 59 (from an edited task file) still means that many minutes.
    static std::int32_t OtherAmountSeconds(const TaskRecord& task);

    // Nesting depth: 0 outside a tick, 1 inside one, 2 inside a nested tick...
    int depth() const { return depth_; }

    // At most this many ticks, and so script runs, are nested in each other.
    // A tick that would go deeper does nothing: its due tasks keep their
    // state and start from a later tick, once a run has returned.
    static constexpr int MaxNesting = 16;

private:
    static bool fixedRuleHolds(const TaskRecord& task, const Clock& clock);
    static bool otherRuleHolds(const TaskRecord& task, const DateTime& now);

    General& g_;
    const Clock& clock_;
    Runner run_;
    int depth_ = 0;
};

} // namespace wendrel
