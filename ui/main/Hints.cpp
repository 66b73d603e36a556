#include "ui/main/Hints.h"

#include "model/General.h"
#include "ui/Text.h"
#include "ui/main/TaskGrid.h"

namespace wendrel {

namespace {

QString editHint(const QString& name) { return "Review task " + name + "'s properties, eg. Interval, start time etc."; }
QString deleteHint(const QString& name) { return "Delete task " + name + " from the task list permanently."; }
const char* const kNewHint = "Add a new task to the end of the task list.";
const char* const kTrayHint = "Send Wendrel to the system tray where it will continue to process tasks.";
const char* const kDragHint = "Drag tasks up or down to change the order in which they execute.";
const char* const kToggleHint = "Double click this column to quickly toggle the active status of a task.";
const char* const kNextStartHint = "When each task starts next. Double click to edit the task.";
const char* const kLastRunHint = "When and how each task last ran. Double click for the task's run history.";

} // namespace

void Hints::show(const QString& text) { panel_->setFullText(text); }

// The current task's name as the hints show it: without its trailing blanks
// (and without the code-0 filler of a never-written field). An empty table
// has no current task, so the name is empty.
QString Hints::currentTaskName() const {
    const int n = grid_.row() + 1;
    if (n > g_.TaskCount) return {};
    return QString::fromStdString(g_.slot(n).Name.shown());
}

void Hints::showNewTask() { show(kNewHint); }
void Hints::showEditTask() { show(editHint(currentTaskName())); }
void Hints::showDelete() { show(deleteHint(currentTaskName())); }
void Hints::showStandby() { show(kTrayHint); }
void Hints::showGrid(bool overActiveColumn) { show(overActiveColumn ? kToggleHint : kDragHint); }
void Hints::showNextStartColumn() { show(kNextStartHint); }
void Hints::showLastRunColumn() { show(kLastRunHint); }
void Hints::showSummary() { show(summary()); }

QString Hints::summary() const {
    const int active = g_.activeCount();
    return QString::number(g_.TaskCount) + " Tasks listed, " + QString::number(active) + " of which " +
           (active == 1 ? "is" : "are") + " currently active.";
}

QStringList Hints::samples() {
    // The hints with a name are sized for a name of ordinary length; a longer
    // one ends in an ellipsis and shows whole in the panel's tooltip.
    const QString name = "Nightly backup";
    return {kNewHint,       kTrayHint,        kDragHint,
            kToggleHint,    kNextStartHint,   kLastRunHint,
            editHint(name), deleteHint(name), "200 Tasks listed, 200 of which are currently active."};
}

} // namespace wendrel
