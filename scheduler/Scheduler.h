#pragma once
// The one-second tick: decides which active tasks are due and runs them.
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

private:
    General& g_;
    const Clock& clock_;
    Runner run_;
};

} // namespace wendrel
