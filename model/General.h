#pragma once
// The program's shared state: the task table and its count, the caption
// tables and the option flags. One General object lives for the whole run
// (in the session); tests create fresh ones.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "model/TaskRecord.h"

namespace wendrel {

class General {
public:
    static constexpr int kMaxTasks = 200;
    static constexpr int kBlankSlot = 201; // stays in its initial state
    static constexpr int kMoveSlot = 202;  // temporary of a record move
    static constexpr int kSlotCount = 202;

    // Slots 1..202. Any other number is a programming fault.
    TaskRecord& slot(int n) {
        check(n);
        return table_[static_cast<std::size_t>(n)];
    }
    const TaskRecord& slot(int n) const {
        check(n);
        return table_[static_cast<std::size_t>(n)];
    }

    std::int16_t TaskCount = 0;

    // The captions themselves, for the tables below and the editor's lists.
    static constexpr std::array<const char*, 6> kIntervalCaptions{"Hourly",  "Daily",  "Weekly",
                                                                  "Monthly", "Yearly", "Other"};
    static constexpr std::array<const char*, 2> kYesNoCaptions{"No", "Yes"};

    std::array<std::string, 6> IntervalNames{};
    std::array<std::string, 2> YesNoNames{};
    // Fills the caption tables (done once at start-up, before the store is read).
    void fillCaptionTables();
    // Caption lookups that never fault on a bad index: an out-of-range value
    // (only possible from a hand-edited store) shows as its number.
    std::string intervalName(int interval) const;
    std::string yesNoName(int active) const;

    std::int16_t MinimizeOnStartup = 0;
    std::int16_t MinimizeToTray = 0;
    // Start once, at start-up or on waking, a fixed-time task whose minute
    // passed while the program was closed or the machine slept.
    std::int16_t RunMissedTasks = 0;

    // Whole-record copy, all fields including run-time state.
    void copyRecord(int from, int to) { slot(to) = slot(from); }
    // Clears slot n by copying the blank record over it.
    void clearSlot(int n) { copyRecord(kBlankSlot, n); }

    // Raises TaskCount by one; the new last slot holds the blank record.
    // Returns the new slot number, or 0 when the table is full.
    int append();
    // Removes the task in slot k (1..TaskCount): later records move down one
    // slot, the old last slot is cleared, TaskCount falls by one.
    void remove(int k);
    // Moves the record at position s to position t (both 1..TaskCount) through
    // the move slot; the records in between shift one place towards s.
    void move(int s, int t);

    // Sum of Active over the tasks in use.
    int activeCount() const;

private:
    static void check(int n) {
        if (n < 1 || n > kSlotCount) throw std::out_of_range("task slot " + std::to_string(n));
    }
    std::array<TaskRecord, kSlotCount + 1> table_{}; // index 0 unused
};

// Flips an option or Active flag: 0 and 1 swap, other values become |flag - 1|.
inline std::int16_t toggled(std::int16_t flag) { return static_cast<std::int16_t>(std::abs(flag - 1)); }

} // namespace wendrel
