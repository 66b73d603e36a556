#include "scheduler/Scheduler.h"

#include <algorithm>
#include <cmath>

#include "store/RunState.h"

namespace wendrel {

namespace {
constexpr std::int64_t kMinutesPerDay = 1440;
// Every fixed-time rule that can hold at all holds within eight years: the
// 29 February of a leap year may be followed by a century year without one.
constexpr std::int64_t kLongestPeriodDays = 8 * 366;
// The Other rule counts whole wall-clock seconds as long as the wall clock
// keeps pace with the boot-time clock; a larger difference is a clock change.
constexpr double kClockStepSeconds = 2.0;
// A forward change of the local time is caught up only when ticks were this
// close around it; after a longer gap it is a missed run like any other.
constexpr double kTickGapForSkippedTime = 60.0;
// The state file is written at least this often (seconds), so that after a
// crash the time the program was last seen running is not far off.
constexpr std::int64_t kStateHeartbeat = 3600;

// Leaves the depth count right even when a script runner throws.
struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
};

bool validTime(const TaskRecord& t) {
    return t.TimeHour >= 0 && t.TimeHour < 24 && t.TimeMinute >= 0 && t.TimeMinute < 60;
}
} // namespace

std::int32_t Scheduler::OtherAmountSeconds(const TaskRecord& task) {
    const std::int32_t amount = task.Other;
    return task.MSOption == 0 ? amount * 60 : amount;
}

bool Scheduler::fixedRuleMatches(const TaskRecord& task, const DateTime& t) {
    // One reading of the clock, so the order of the tests does not matter:
    // the time of day first, as it rules out most tasks most of the time.
    if (task.Interval == Hourly) return task.MinsPastHour == t.minute;
    if (task.TimeMinute != t.minute || task.TimeHour != t.hour) return false;
    switch (task.Interval) {
        case Daily:
            return true;
        case Weekly:
            return task.DayofWeek == t.weekday() - 1;
        case Monthly:
            return task.DayofMonth == t.day - 1;
        case Yearly:
            return task.DateDay == t.day - 1 && task.DateMonth == t.month - 1;
        default:
            return false;
    }
}

bool Scheduler::fixedRuleMatchesBetween(const TaskRecord& task, std::int64_t first, std::int64_t last) {
    return firstFixedMatch(task, std::max(first, last - kLongestPeriodDays * kMinutesPerDay + 1), last).has_value();
}

std::optional<std::int64_t> Scheduler::firstFixedMatch(const TaskRecord& task, std::int64_t first, std::int64_t last) {
    if (last < first) return std::nullopt;
    const bool hourly = task.Interval == Hourly;
    if (hourly ? (task.MinsPastHour < 0 || task.MinsPastHour > 59) : !validTime(task)) return std::nullopt;
    // The minutes of a day at which the rule's time part holds.
    const int perDay = hourly ? 24 : 1;
    for (std::int64_t day = DateTime::floorDiv(first, kMinutesPerDay); day <= DateTime::floorDiv(last, kMinutesPerDay);
         ++day) {
        for (int k = 0; k < perDay; ++k) {
            const std::int64_t m =
                day * kMinutesPerDay + (hourly ? k * 60 + task.MinsPastHour : task.TimeHour * 60 + task.TimeMinute);
            if (m >= first && m <= last && fixedRuleMatches(task, DateTime::fromSerialSeconds(m * 60))) return m;
        }
    }
    return std::nullopt;
}

bool Scheduler::isRepeatedLocalTime(const ClockReading& r) const {
    // The clock went back by d within the last hours (the offset was larger
    // then) and this local time was already shown d seconds ago, before the
    // change.
    const std::int32_t earlier = clock_.utcOffsetAt(r.utc - 6 * 3600);
    if (earlier <= r.offset) return false;
    return clock_.utcOffsetAt(r.utc - (earlier - r.offset)) == earlier;
}

std::int64_t Scheduler::offsetChangeAfter(std::int64_t lo, std::int64_t hi) const {
    const std::int32_t before = clock_.utcOffsetAt(lo);
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        (clock_.utcOffsetAt(mid) == before ? lo : hi) = mid;
    }
    return hi;
}

Scheduler::CatchUp Scheduler::catchUpFor(const ClockReading& now, double boot) {
    CatchUp cu;
    cu.tickUtc = now.utc;
    // The real time of the previous tick, counted back on the boot-time clock
    // so that a change of the wall clock is not taken for time gone by.
    std::optional<std::int64_t> from;
    const double gap = lastTickBoot_ ? std::max(0.0, boot - *lastTickBoot_) : 0.0;
    if (lastTickBoot_) from = now.utc - std::llround(gap);
    else if (aliveBefore_) from = *aliveBefore_;
    const std::int64_t localMinute = now.local.serialMinute();

    if (lastTickBoot_ && gap <= kTickGapForSkippedTime && localMinute != lastTickLocalMinute_) {
        const std::int32_t before = clock_.utcOffsetAt(*from);
        if (now.offset > before) {
            // The local times from the old offset's reading of the change up
            // to the new one's never showed.
            const std::int64_t hi = offsetChangeAfter(*from, now.utc);
            cu.skipped = MinuteRange{DateTime::floorDiv(hi + before, 60), DateTime::floorDiv(hi + now.offset - 1, 60)};
        }
    }
    if (g_.RunMissedTasks != 0 && from) {
        const std::int64_t m0 = DateTime::floorDiv(*from, 60), m1 = DateTime::floorDiv(now.utc, 60);
        if (m1 - m0 >= 2) {
            // The real minutes strictly between the last tick's and this one's.
            const std::int64_t a = (m0 + 1) * 60, b = (m1 - 1) * 60;
            const std::int64_t la = DateTime::floorDiv(a + clock_.utcOffsetAt(a), 60);
            const std::int64_t lb = DateTime::floorDiv(b + clock_.utcOffsetAt(b), 60);
            cu.missed = MinuteRange{std::min(la, lb), std::max(la, lb)};
        }
    }
    lastTickBoot_ = boot;
    lastTickLocalMinute_ = localMinute;
    aliveBefore_.reset();
    return cu;
}

bool Scheduler::fixedTaskDue(const TaskRecord& task, const ClockReading& r, const CatchUp& cu) const {
    if (task.Running != 0) return false;
    if (fixedRuleMatches(task, r.local)) {
        const bool startedThisMinute =
            task.LastStartUtc && DateTime::floorDiv(*task.LastStartUtc, 60) == DateTime::floorDiv(r.utc, 60);
        if (!startedThisMinute && (task.Interval == Hourly || !isRepeatedLocalTime(r))) return true;
    }
    // Catching up: once, and not when this tick (or one nested in it) has
    // started the task already. An hourly task has no skipped local time: it
    // runs in every real hour anyway.
    if (!cu.skipped && !cu.missed) return false;
    if (task.LastStartUtc && *task.LastStartUtc >= cu.tickUtc) return false;
    if (cu.skipped && task.Interval != Hourly && fixedRuleMatchesBetween(task, cu.skipped->first, cu.skipped->last))
        return true;
    return cu.missed && fixedRuleMatchesBetween(task, cu.missed->first, cu.missed->last);
}

double Scheduler::otherWait(const TaskRecord& task, const ClockReading& r, double boot) {
    // A task that the Other rule has not started yet is due at once.
    if (!task.LastRunElapsed || !task.LastStartUtc) return 0;
    // Whole wall-clock seconds, unless the wall clock was set meanwhile: then
    // the boot-time clock's count.
    const double onBoot = boot - *task.LastRunElapsed;
    const double onWall = static_cast<double>(r.utc - *task.LastStartUtc);
    const double elapsed = std::fabs(onWall - onBoot) <= kClockStepSeconds ? onWall : std::floor(onBoot);
    return OtherAmountSeconds(task) - elapsed;
}

void Scheduler::tick() {
    if (depth_ >= kMaxNesting) return;
    DepthGuard guard(depth_);
    clock_.recheckZone();
    const ClockReading start = clock_.read();
    double boot = clock_.bootSeconds();
    const CatchUp cu = catchUpFor(start, boot);
    // Each rule sees the clock as it is when the rule is tested. Until a
    // script runs, the walk takes microseconds and the tick's own reading
    // serves; after one ran (it may have taken minutes, and nested ticks may
    // have run inside it) both clocks are read again.
    ClockReading r = start;
    bool stale = false;
    // The number of slots is fixed for this walk, whatever nested ticks and
    // user commands do to the table while a script runs.
    const int count = std::clamp<int>(g_.TaskCount, 0, General::kMaxTasks);
    for (int i = 1; i <= count; ++i) {
        // Look the slot up afresh each time: records may have moved while an
        // earlier script of this walk was waiting.
        TaskRecord& task = g_.slot(i);
        if (task.Active != 1) continue;
        if (stale) {
            r = clock_.read();
            boot = clock_.bootSeconds();
            stale = false;
        }
        if (task.Interval == OtherInterval) {
            if (otherWait(task, r, boot) > 0) continue;
            // The interval counts on while the script is missing, so its
            // file is looked for once per interval.
            task.LastRun = r.local;
            task.LastRunElapsed = boot;
            if (stillMissing(i)) continue;
        } else {
            if (!fixedTaskDue(task, r, cu) || stillMissing(i)) continue;
            stateDirty_ = true;
        }
        task.LastStartUtc = r.utc;
        task.Running = 1;
        stale = true;
        if (run_) run_(i);
    }
    if (!statePath_.empty() &&
        (stateDirty_ || start.utc - stateSavedUtc_ >= kStateHeartbeat || start.utc < stateSavedUtc_))
        saveState();
}

std::string Scheduler::useStateFile(std::string path) {
    statePath_ = std::move(path);
    std::string problem;
    aliveBefore_ = run_state::load(statePath_, g_, problem);
    stateSavedUtc_ = clock_.read().utc;
    return problem;
}

std::string Scheduler::saveState() {
    if (statePath_.empty()) return {};
    const std::int64_t now = clock_.read().utc;
    stateDirty_ = false;
    stateSavedUtc_ = now;
    return run_state::save(statePath_, g_, now);
}

bool Scheduler::canRunNow(int index) const {
    if (index < 1 || index > std::min<int>(g_.TaskCount, General::kMaxTasks)) return false;
    return g_.slot(index).Running == 0 && depth_ < kMaxNesting;
}

bool Scheduler::runNow(int index) {
    if (!canRunNow(index)) return false;
    TaskRecord& task = g_.slot(index);
    // A run by hand counts as a start of the task: an Other task's interval
    // counts from it, as from a start by the tick.
    DepthGuard guard(depth_);
    if (task.Interval == OtherInterval) {
        const ClockReading r = clock_.read();
        task.LastRun = r.local;
        task.LastRunElapsed = clock_.bootSeconds();
        task.LastStartUtc = r.utc;
    }
    task.Running = 1;
    if (run_) run_(index);
    return true;
}

// Only looked at when the task is due, so an idle tick touches no file.
bool Scheduler::stillMissing(int index) const {
    return g_.slot(index).ScriptMissing && !(scriptPresent_ && scriptPresent_(index));
}

Scheduler::Showing Scheduler::firstShowing(std::int64_t local) const {
    // The zone's offsets a day either side; a zone changes at most once
    // within them. A larger offset shows the local time earlier.
    const std::int64_t day = kMinutesPerDay * 60;
    const std::int32_t before = clock_.utcOffsetAt(local - day), after = clock_.utcOffsetAt(local + day);
    for (const std::int32_t o : {std::max(before, after), std::min(before, after)})
        if (clock_.utcOffsetAt(local - o) == o) return {local - o, false};
    return {offsetChangeAfter(local - after, local - before), true};
}

std::optional<DateTime> Scheduler::nextFixedStart(const TaskRecord& task, const ClockReading& now) const {
    // The tick starts a task at most once per real minute, never while it runs.
    const bool startedThisMinute =
        task.LastStartUtc && DateTime::floorDiv(*task.LastStartUtc, 60) == DateTime::floorDiv(now.utc, 60);
    std::int64_t from = now.local.serialMinute();
    if (startedThisMinute || task.Running != 0) ++from;
    while (const auto m = firstFixedMatch(task, from, from + kLongestPeriodDays * kMinutesPerDay)) {
        from = *m + 1;
        const Showing at = firstShowing(*m * 60);
        if (at.skipped) {
            // An hourly task has no start in a skipped hour; the others start
            // at the change.
            if (task.Interval != Hourly) return localAt(at.utc);
        } else if (task.Interval == Hourly || DateTime::floorDiv(at.utc, 60) >= DateTime::floorDiv(now.utc, 60)) {
            return DateTime::fromSerialSeconds(*m * 60);
        }
    }
    return std::nullopt;
}

std::optional<DateTime> Scheduler::nextStart(const TaskRecord& task, const ClockReading& now, double boot) const {
    // An unknown interval never matches a fixed-time rule.
    if (task.Active != 1) return std::nullopt;
    if (task.Interval != OtherInterval) return nextFixedStart(task, now);
    const double wait = std::max(0.0, otherWait(task, now, boot));
    return localAt(now.utc + static_cast<std::int64_t>(std::ceil(wait)));
}

} // namespace wendrel
