// The small rules the windows follow: which editor fields each interval
// needs, and which grid columns toggle Active on a double click.
#include <gtest/gtest.h>

#include "model/TaskRecord.h"
#include "session/Rules.h"

using namespace wendrel;

TEST(ViewRules, EachIntervalNeedsItsOwnFieldsAndNoChoiceThoseOfOther) {
    EXPECT_EQ(intervalFields(Hourly), unsigned(MinsPastHourField));
    EXPECT_EQ(intervalFields(Daily), unsigned(TimeField));
    EXPECT_EQ(intervalFields(Weekly), unsigned(WeekdayField | TimeField));
    EXPECT_EQ(intervalFields(Monthly), unsigned(DayOfMonthField | TimeField));
    EXPECT_EQ(intervalFields(Yearly), unsigned(DateField | TimeField));
    EXPECT_EQ(intervalFields(OtherInterval), unsigned(OtherAmountField));
    EXPECT_EQ(intervalFields(-1), unsigned(OtherAmountField)) << "nothing chosen yet";
}

TEST(ViewRules, TheHairlineRightOfTheActiveColumnTogglesToo) {
    EXPECT_EQ(doubleClickAction(5), DoubleClickAction::ToggleActive);
}
