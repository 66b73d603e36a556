#pragma once
// The task list's small rules that the windows follow, kept apart from the
// widgets: the delete question, what a double click on the grid does, and
// which editor fields an interval needs.
#include <string>

namespace wendrel {

// The question asked before task `name` (its text as the user reads it) is deleted.
std::string deleteQuestion(const std::string& name);

// What a double click on the grid does, by the column under the pointer:
// the Active column (and the hair-thin one right of it) toggles, the last
// run's column opens the task's run history, any other edits.
enum class DoubleClickAction { ToggleActive, Edit, ShowHistory };
DoubleClickAction doubleClickAction(int column);

// The editor's fields that an interval needs besides those every task shows.
enum IntervalField : unsigned {
    MinsPastHourField = 1, // minutes past the hour
    WeekdayField = 2,      // "Every" and the weekday
    DayOfMonthField = 4,   // the day of the month
    TimeField = 8,         // hour and minute
    DateField = 16,        // month and day
    OtherAmountField = 32, // "Every", the amount and its unit
};
// The fields of interval (0 Hourly .. 5 Other); anything else, no choice
// included, gets those of Other.
unsigned intervalFields(int interval);

} // namespace wendrel
