#include "ui/main/TaskCommands.h"

#include "model/TaskList.h"
#include "scheduler/Scheduler.h"
#include "script/Platform.h"
#include "model/RunEvent.h"
#include "ui/Text.h"
#include "ui/main/TaskGrid.h"

namespace wendrel {

int TaskCommands::currentTask() const {
    const int k = grid_.row() + 1;
    return k <= g_.TaskCount ? k : 0;
}

void TaskCommands::newTask() {
    const int top = grid_.topRow();
    const int n = beginNewTask(g_, grid_.row());
    if (n == 0) return;
    grid_.setRows(g_.TaskCount);
    grid_.fill(g_, n); // leaves the new row current
    grid_.selectRow(n - 1);
    hooks_.editCurrent(); // its Save saves the list; a cancelled New changes nothing
    // A cancelled new task leaves the list showing the rows it showed before.
    if (g_.TaskCount < n) grid_.keepTopRow(top);
}

void TaskCommands::editTask() {
    // With an empty list the grid's one row holds no task: nothing to edit.
    if (g_.TaskCount < 1) return;
    hooks_.editCurrent();
    grid_.selectRow(grid_.row());
}

void TaskCommands::deleteTask() {
    const int k = currentTask();
    if (k == 0) return;
    const std::string name = fromRecordText(g_.slot(k).Name.trimmed()).toStdString();
    const MsgAnswer answer = messages_.show("Are you sure you wish to delete " + name + "?", "Delete Task",
                                            MsgButtons::YesNo, MsgIcon::None);
    if (answer != MsgAnswer::Yes) return;

    g_.remove(k);
    grid_.fill(g_, 0);
    grid_.showTaskCount(g_.TaskCount, rowAfterRemoval(k, g_.TaskCount));
    hooks_.saved();
}

void TaskCommands::toggleActive() {
    const int k = currentTask();
    if (k == 0) return;
    TaskRecord& r = g_.slot(k);
    r.Active = toggled(r.Active);
    grid_.fill(g_, k);
    grid_.selectRow(k - 1);
    hooks_.saved();
}

void TaskCommands::runNow() {
    const int k = currentTask();
    if (k == 0) return;
    // The refusal gets a word in the hint panel, not a message box. A task
    // whose script file was missing also stays marked until the next start.
    if (!scheduler_.RunNow(k)) {
        const QString name = QString::fromStdString(historyText(g_.slot(k).Name.str()));
        hooks_.hint("Task " + name + " has not finished its last run: not started again.");
    }
}

} // namespace wendrel
