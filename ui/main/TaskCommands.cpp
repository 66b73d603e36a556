#include "ui/main/TaskCommands.h"

#include "model/TaskList.h"
#include "session/Session.h"
#include "ui/main/TaskGrid.h"

namespace wendrel {

namespace {
QString startedText(const QString& name) { return "Task " + name + " started."; }
} // namespace

void TaskCommands::newTask() {
    const int top = grid_.topRow();
    const int n = session_.newTask(grid_.row());
    if (n == 0) return;
    const General& g = session_.general();
    grid_.setRows(g.TaskCount);
    grid_.fill(g, n); // leaves the new row current
    grid_.selectRow(n - 1);
    hooks_.editCurrent(); // its Save saves the list; a cancelled New changes nothing
    // A cancelled new task leaves the list showing the rows it showed before.
    if (g.TaskCount < n) grid_.keepTopRow(top);
}

void TaskCommands::editTask() {
    // With an empty list the grid's one row holds no task: nothing to edit.
    if (session_.general().TaskCount < 1) return;
    hooks_.editCurrent();
    grid_.selectRow(grid_.row());
}

void TaskCommands::deleteTask() {
    const int k = session_.taskOfRow(grid_.row());
    if (!session_.remove(k)) return;
    const General& g = session_.general();
    grid_.fill(g, 0);
    grid_.showTaskCount(g.TaskCount, rowAfterRemoval(k, g.TaskCount));
}

void TaskCommands::toggleActive() {
    const int k = session_.taskOfRow(grid_.row());
    if (k == 0) return;
    session_.ToggleActive(k);
    grid_.fill(session_.general(), k);
    grid_.selectRow(k - 1);
}

void TaskCommands::runNow() {
    const int k = session_.taskOfRow(grid_.row());
    if (k == 0) return;
    startingByHand_ = k;
    startedHint_.clear();
    // The refusal gets a word in the hint panel, not a message box.
    const Session::RunNowResult run = session_.runNow(k);
    startingByHand_ = 0;
    if (!run.started) {
        hooks_.hint(QString::fromStdString(run.refusal));
        return;
    }
    // How it ended, unless the panel shows another hint by now or the task
    // moved while its script ran.
    const QString name = QString::fromStdString(session_.general().slot(k).Name.shown());
    if (startedHint_.isEmpty() || hooks_.shownHint() != startedHint_ || startedHint_ != startedText(name)) return;
    const Session::TaskStatus st = session_.status(k);
    if (st.lastOutcome == Session::TaskStatus::Outcome::Succeeded) hooks_.hint("Task " + name + " ended: succeeded.");
    else if (st.lastOutcome == Session::TaskStatus::Outcome::Failed)
        hooks_.hint("Task " + name + " ended: failed, " + QString::fromStdString(st.lastFailure) + ".");
}

void TaskCommands::runStarted(int n) {
    if (n == 0 || n != startingByHand_) return;
    startingByHand_ = 0; // not the runs nested in it
    startedHint_ = startedText(QString::fromStdString(session_.general().slot(n).Name.shown()));
    hooks_.hint(startedHint_);
}

} // namespace wendrel
