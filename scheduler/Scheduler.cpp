#include "scheduler/Scheduler.h"

#include <algorithm>

namespace wendrel {

namespace {
// Leaves the depth count right even when a script runner throws.
struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
};
} // namespace

std::int32_t Scheduler::OtherAmountSeconds(const TaskRecord& task) {
    const std::int32_t amount = task.Other;
    return task.MSOption == 0 ? amount * 60 : amount;
}

bool Scheduler::otherRuleHolds(const TaskRecord& task, const DateTime& now) {
    // Never started under this rule yet: due at once.
    if (!task.LastRun) return true;
    const std::int64_t elapsed = now.serialSeconds() - task.LastRun->serialSeconds();
    return elapsed >= OtherAmountSeconds(task);
}

bool Scheduler::fixedRuleHolds(const TaskRecord& task, const Clock& clock) {
    // Each part reads the clock on its own, in the order the rule names them:
    // the date parts first, then the hour, then the minute.
    const bool idle = task.Running == 0;
    auto timeMatches = [&] {
        const bool hour = task.TimeHour == clock.now().hour;
        const bool minute = task.TimeMinute == clock.now().minute;
        return hour && minute;
    };
    switch (task.Interval) {
    case Hourly:
        return task.MinsPastHour == clock.now().minute && idle;
    case Daily:
        return timeMatches() && idle;
    case Weekly:
        return task.DayofWeek == clock.now().weekday() - 1 && idle && timeMatches();
    case Monthly:
        return task.DayofMonth == clock.now().day - 1 && idle && timeMatches();
    case Yearly: {
        const bool day = task.DateDay == clock.now().day - 1;
        const bool month = task.DateMonth == clock.now().month - 1;
        return day && month && idle && timeMatches();
    }
    default:
        return false;
    }
}

bool Scheduler::IsDue(const TaskRecord& task, const Clock& clock) {
    if (task.Interval == OtherInterval) return otherRuleHolds(task, clock.now());
    if (!fixedRuleHolds(task, clock)) return false;
    // At most one start per due minute, even when the last run has already
    // ended within this minute.
    return task.LastFixedStartMinute != clock.now().serialMinute();
}

void Scheduler::Tick() {
    if (depth_ >= MaxNesting) return;
    DepthGuard guard(depth_);
    // The number of slots is fixed for this walk, whatever nested ticks and
    // user commands do to the table while a script runs.
    const int count = std::clamp<int>(g_.TaskCount, 0, General::MaxTasks);
    for (int i = 1; i <= count; ++i) {
        // Look the slot up afresh each time: records may have moved while an
        // earlier script of this walk was waiting.
        TaskRecord& task = g_.slot(i);
        if (task.Active != 1) continue;
        if (task.Interval == OtherInterval) {
            const DateTime now = clock_.now();
            if (!otherRuleHolds(task, now)) continue;
            task.LastRun = clock_.now();
        } else {
            if (!fixedRuleHolds(task, clock_)) continue;
            const std::int64_t minute = clock_.now().serialMinute();
            if (task.LastFixedStartMinute == minute) continue;
            task.LastFixedStartMinute = minute;
        }
        task.Running = 1;
        if (run_) run_(i);
    }
}

bool Scheduler::RunNow(int index) {
    if (index < 1 || index > std::min<int>(g_.TaskCount, General::MaxTasks)) return false;
    TaskRecord& task = g_.slot(index);
    if (task.Running != 0) return false;
    if (task.Interval == OtherInterval) task.LastRun = clock_.now();
    task.Running = 1;
    if (run_) run_(index);
    return true;
}

} // namespace wendrel
