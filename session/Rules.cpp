#include "session/Rules.h"

#include "model/TaskRecord.h"

namespace wendrel {

std::string deleteQuestion(const std::string& name) { return "Are you sure you wish to delete " + name + "?"; }

DoubleClickAction doubleClickAction(int column) {
    constexpr int kActiveColumn = 4, kLastRunColumn = 7;
    if (column == kActiveColumn || column == kActiveColumn + 1) return DoubleClickAction::ToggleActive;
    return column == kLastRunColumn ? DoubleClickAction::ShowHistory : DoubleClickAction::Edit;
}

unsigned intervalFields(int interval) {
    switch (interval) {
        case Hourly:
            return MinsPastHourField;
        case Daily:
            return TimeField;
        case Weekly:
            return WeekdayField | TimeField;
        case Monthly:
            return DayOfMonthField | TimeField;
        case Yearly:
            return DateField | TimeField;
        default: // Other, and nothing chosen yet
            return OtherAmountField;
    }
}

} // namespace wendrel
