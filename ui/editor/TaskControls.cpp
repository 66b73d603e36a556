#include "ui/editor/TaskControls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <vector>

#include "model/General.h"
#include "session/Rules.h"
#include "ui/Text.h"

namespace wendrel {

namespace {

QString twoDigits(int k) { return QString("%1").arg(k, 2, 10, QChar('0')); }

QString ordinal(int d) {
    const char* suffix = "th";
    if (d == 1 || d == 21 || d == 31) suffix = "st";
    else if (d == 2 || d == 22) suffix = "nd";
    else if (d == 3 || d == 23) suffix = "rd";
    return QString::number(d) + suffix;
}

// The list position stored for a field. A list always holds a selection once a
// task is loaded; should one ever have none, the first entry is stored, so the
// record never holds a position that no list can show.
std::int16_t positionOf(const QComboBox* list) {
    const int pos = list->currentIndex();
    return static_cast<std::int16_t>(pos < 0 ? 0 : pos);
}

// Selects position value; a value outside the list (only possible from a
// store edited by hand) selects the first entry, which is what Save stores.
void selectPosition(QComboBox* list, int value) {
    list->setCurrentIndex(value >= 0 && value < list->count() ? value : 0);
}

} // namespace

void TaskControls::fillLists() {
    QComboBox* lists[] = {cmbInterval,  cmbDayofWeek,  cmbOther,   cmbMinsPastHour, cmbTimeMinute, cmbTimeHour,
                          cmbDateMonth, cmbDayofMonth, cmbDateDay, cmbMSOption,     cmbActive};
    for (QComboBox* l : lists) {
        l->blockSignals(true);
        l->clear();
    }
    for (const char* s : General::kIntervalCaptions) cmbInterval->addItem(s);
    for (const char* s : {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"})
        cmbDayofWeek->addItem(s);
    for (int k = 0; k <= 59; ++k) {
        cmbOther->addItem(QString::number(k));
        cmbMinsPastHour->addItem(QString::number(k));
        cmbTimeMinute->addItem(twoDigits(k));
    }
    for (int k = 0; k <= 23; ++k) cmbTimeHour->addItem(twoDigits(k));
    for (const char* s : {"January", "February", "March", "April", "May", "June", "July", "August", "September",
                          "October", "November", "December"})
        cmbDateMonth->addItem(s);
    for (int d = 1; d <= 31; ++d) {
        cmbDayofMonth->addItem(ordinal(d));
        cmbDateDay->addItem(ordinal(d));
    }
    cmbMSOption->addItem("Mins");
    cmbMSOption->addItem("Secs");
    for (const char* s : General::kYesNoCaptions) cmbActive->addItem(s);
    // A list that is filled selects its first entry by itself; the lists start
    // with nothing selected until a task is loaded.
    for (QComboBox* l : lists) {
        l->setCurrentIndex(-1);
        l->blockSignals(false);
    }
}

void TaskControls::showIntervalFields() {
    QWidget* fields[] = {cmbMinsPastHour, cmbDayofWeek,  cmbDayofMonth, lblTime,      lblDate,
                         lblMinsPastHour, lblDayofMonth, cmbOther,      cmbMSOption,  lblOther,
                         lblTime1,        cmbTimeHour,   cmbTimeMinute, cmbDateMonth, cmbDateDay};
    for (QWidget* w : fields) w->hide();
    // Which fields an interval needs is the task list's rule; here each
    // field is its controls.
    const unsigned needed = intervalFields(cmbInterval->currentIndex());
    std::vector<QWidget*> shown;
    if (needed & MinsPastHourField) shown.insert(shown.end(), {lblMinsPastHour, cmbMinsPastHour});
    if (needed & WeekdayField) shown.insert(shown.end(), {lblOther, cmbDayofWeek});
    if (needed & DayOfMonthField) shown.insert(shown.end(), {lblDayofMonth, cmbDayofMonth});
    if (needed & TimeField) shown.insert(shown.end(), {lblTime, cmbTimeHour, cmbTimeMinute, lblTime1});
    if (needed & DateField) shown.insert(shown.end(), {lblDate, cmbDateMonth, cmbDateDay});
    if (needed & OtherAmountField) shown.insert(shown.end(), {lblOther, cmbOther, cmbMSOption});
    for (QWidget* w : shown) w->show();
}

void TaskControls::load(const TaskRecord& r) {
    // The texts show without their blank fill, so whatever is typed at the
    // end is kept up to the field's width when saved.
    txtInput[0]->setText(QString::fromStdString(r.Name.shown()));
    txtInput[1]->setText(QString::fromStdString(r.Comment.shown()));
    cmbScriptFiles->blockSignals(true);
    cmbScriptFiles->setCurrentIndex(-1);
    cmbScriptFiles->setEditText(QString::fromStdString(r.ScriptFile.shown()));
    cmbScriptFiles->blockSignals(false);

    selectPosition(cmbInterval, r.Interval);
    showIntervalFields(); // also when the position was already selected
    selectPosition(cmbDayofMonth, r.DayofMonth);
    selectPosition(cmbDayofWeek, r.DayofWeek);
    selectPosition(cmbOther, r.Other);
    selectPosition(cmbMinsPastHour, r.MinsPastHour);
    selectPosition(cmbMSOption, r.MSOption);
    selectPosition(cmbTimeHour, r.TimeHour);
    selectPosition(cmbTimeMinute, r.TimeMinute);
    selectPosition(cmbDateMonth, r.DateMonth);
    selectPosition(cmbDateDay, r.DateDay);
    selectPosition(cmbActive, r.Active);
}

void TaskControls::store(TaskRecord& r) const {
    r.Name = txtInput[0]->text().toStdString();
    r.Comment = txtInput[1]->text().toStdString();
    r.Interval = positionOf(cmbInterval);
    r.ScriptFile = cmbScriptFiles->currentText().toStdString();
    r.DayofMonth = positionOf(cmbDayofMonth);
    r.DayofWeek = positionOf(cmbDayofWeek);
    r.Other = positionOf(cmbOther);
    r.MinsPastHour = positionOf(cmbMinsPastHour);
    r.MSOption = positionOf(cmbMSOption);
    r.TimeHour = positionOf(cmbTimeHour);
    r.TimeMinute = positionOf(cmbTimeMinute);
    r.DateMonth = positionOf(cmbDateMonth);
    r.DateDay = positionOf(cmbDateDay);
    r.Active = positionOf(cmbActive);
}

} // namespace wendrel
