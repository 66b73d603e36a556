#pragma once
// The one-second tick: decides which active tasks are due and runs them.
//
// A tick walks the task table once, in slot order, and runs every due task's
// script right away through the runner, which returns only when the script is
// done. Scripts that wait let further ticks run nested inside the runner, so a
// tick may be entered again while an earlier one is still running a script.
//
// Time as the rules see it:
// - Other counts seconds on the boot-time clock, which never goes back and
//   counts time asleep: setting the wall clock neither stalls nor bursts it.
// - The fixed-time rules (Hourly to Yearly) match the local time. A task
//   starts at most once per real (UTC) minute. When a local time occurs twice
//   (the clock goes back an hour in autumn), Daily to Yearly tasks start at
//   its first occurrence only, Hourly tasks in each real hour. A local time
//   skipped by a forward change starts Daily to Yearly tasks once, at the
//   first tick after the change.
// - A gap between ticks on the boot-time clock (the machine slept, or the
//   program was stopped) and, at start-up, the time since the program last
//   ran leave minutes that no tick saw. With the option RunMissedTasks on, a
//   fixed-time task due in such minutes starts once, at the first tick after.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/DateTime.h"
#include "model/General.h"

namespace wendrel {

class Scheduler {
public:
    using Runner = std::function<void(int index)>;
    Scheduler(General& g, const Clock& clock, Runner runScript) : g_(g), clock_(clock), run_(std::move(runScript)) {}

    // One walk of the task table; runs every due task, in table order.
    void tick();

    // Starts the task in slot index at once, the way the tick starts a due
    // task (Running set, the script run to its end), whatever its interval and
    // Active say. An Other task's interval counts again from this start.
    // Starts nothing, and returns false, when the slot holds no task, the
    // task is marked as running, or scripts already run nested to the cap.
    bool runNow(int index);
    // Whether runNow(index) would start the task now.
    bool canRunNow(int index) const;

    // Replaces the script runner (the window's tests run fake scripts).
    void setRunner(Runner runScript) { run_ = std::move(runScript); }
    // Tells whether the script file of the task in slot index is there. A
    // task marked ScriptMissing is started by the tick again only once it
    // is; without this check, only a save ends the mark. runNow starts it
    // whatever the mark says.
    void setScriptCheck(std::function<bool(int index)> present) { scriptPresent_ = std::move(present); }
    const Runner& runner() const { return run_; }

    // Keeps the tasks' last starts in the state file at path: reads it now
    // (after the task list has been read) and writes it after ticks that
    // started a fixed-time task. Returns the problem met, or empty text.
    std::string useStateFile(std::string path);
    // Writes the state file (at exit). Returns the problem met, or empty text.
    std::string saveState();
    // Has the state file written after the next tick (a run's outcome changed).
    void stateChanged() { stateDirty_ = true; }

    // Whether the date, hour and minute parts of a fixed-time rule hold at the
    // local time t. Running and earlier starts are not looked at.
    static bool fixedRuleMatches(const TaskRecord& task, const DateTime& t);
    // Whether a fixed-time rule holds at some local minute from first to last
    // (DateTime::serialMinute, both included).
    // Only the last eight years of the range are looked at.
    static bool fixedRuleMatchesBetween(const TaskRecord& task, std::int64_t first, std::int64_t last);
    // The first local minute from first to last at which a fixed-time rule
    // holds.
    static std::optional<std::int64_t> firstFixedMatch(const TaskRecord& task, std::int64_t first, std::int64_t last);

    // When the tick would next start the task, seen at the reading now with
    // the boot-time clock at boot: the local time of that start (an Other
    // task that is due already: now). None when the task is inactive, its
    // interval unknown, or its rule never holds. The tick's own rules decide:
    // a task started or running in this minute waits for the next match, a
    // local time skipped by a forward change starts Daily to Yearly tasks at
    // the change, a repeated one only at its first showing.
    std::optional<DateTime> nextStart(const TaskRecord& task, const ClockReading& now, double boot) const;
    // The local time at a real instant (UTC seconds).
    DateTime localAt(std::int64_t utc) const { return DateTime::fromSerialSeconds(utc + clock_.utcOffsetAt(utc)); }

    // The length of the Other interval in seconds: Other minutes when MSOption
    // is 0, else Other seconds. Counted in 32 bits, so an Other beyond the
    // editor's 0 to 59 (from an edited task file) still means that many minutes.
    static std::int32_t OtherAmountSeconds(const TaskRecord& task);

    // Nesting depth: 0 outside a tick, 1 inside one, 2 inside a nested tick...
    int depth() const { return depth_; }

    // At most this many ticks, and so script runs, are nested in each other.
    // A tick that would go deeper does nothing: its due tasks keep their
    // state and start from a later tick, once a run has returned.
    static constexpr int kMaxNesting = 16;

private:
    struct MinuteRange {
        std::int64_t first, last; // local serial minutes, both included
    };
    // What a tick may start besides the tasks due at this minute.
    struct CatchUp {
        std::optional<MinuteRange> skipped; // local times skipped by a forward change
        std::optional<MinuteRange> missed;  // minutes no tick saw (RunMissedTasks)
        std::int64_t tickUtc = 0;
    };
    CatchUp catchUpFor(const ClockReading& now, double boot);
    bool isRepeatedLocalTime(const ClockReading& r) const;
    // The first instant after lo, up to hi, whose UTC offset is not lo's.
    std::int64_t offsetChangeAfter(std::int64_t lo, std::int64_t hi) const;
    // The first real instant that shows the local time (seconds); for one
    // skipped by a forward change, the instant of the change.
    struct Showing {
        std::int64_t utc;
        bool skipped;
    };
    Showing firstShowing(std::int64_t local) const;
    std::optional<DateTime> nextFixedStart(const TaskRecord& task, const ClockReading& now) const;
    // The seconds until an Other task is due, at the reading r with the
    // boot-time clock at boot: 0 or less when it is due.
    static double otherWait(const TaskRecord& task, const ClockReading& r, double boot);
    bool fixedTaskDue(const TaskRecord& task, const ClockReading& r, const CatchUp& cu) const;
    // Whether the task in slot index waits for its missing script file.
    bool stillMissing(int index) const;

    General& g_;
    const Clock& clock_;
    Runner run_;
    std::function<bool(int)> scriptPresent_;
    int depth_ = 0;

    // The last tick, on both clocks.
    std::optional<double> lastTickBoot_;
    std::optional<std::int64_t> lastTickLocalMinute_;
    // The moment the program was last known to run, from the state file:
    // where the missed minutes of the first tick begin.
    std::optional<std::int64_t> aliveBefore_;

    std::string statePath_;
    bool stateDirty_ = false;
    std::int64_t stateSavedUtc_ = 0;
};

} // namespace wendrel
