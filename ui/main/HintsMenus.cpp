// Hints of the buttons and the free area, the option toggles, help, About
// and the ways out of the program.
#include <QAction>

#include "ui/Text.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmHelp.h"
#include "ui/main/Form1.h"

namespace wendrel {

namespace {
// The current task's name as the hints show it: without its trailing blanks
// (and without the code-0 filler of a never-written field). An empty table
// has no current task, so the name is empty.
QString currentTaskName(const Form1& form, const General& g) {
    const int n = form.gridRow() + 1;
    if (n < 1 || n > g.TaskCount) return {};
    return shownField(g.slot(n).Name.str());
}

QString editHint(const QString& name) { return "Review task " + name + "'s properties, eg. Interval, start time etc."; }
QString deleteHint(const QString& name) { return "Delete task " + name + " from the task list permanently."; }
const char* const kNewHint = "Add a new task to the end of the task list.";
const char* const kTrayHint = "Send Wendrel to the system tray where it will continue to process tasks.";
const char* const kDragHint = "Drag tasks up or down to change the order in which they execute.";
const char* const kToggleHint = "Double click this column to quickly toggle the active status of a task.";

} // namespace

QString Form1::gridHint(bool overActiveColumn) { return overActiveColumn ? kToggleHint : kDragHint; }

QStringList Form1::hintSamples() {
    // The hints with a name are sized for a name of ordinary length; a longer
    // one ends in an ellipsis and shows whole in the panel's tooltip.
    const QString name = "Nightly backup";
    return {kNewHint,
            kTrayHint,
            kDragHint,
            kToggleHint,
            editHint(name),
            deleteHint(name),
            "200 Tasks listed, 200 of which are currently active."};
}

void Form1::cmdNewTask_MouseMove() { setPanelText(2, kNewHint); }

void Form1::cmdEditTask_MouseMove() { setPanelText(2, editHint(currentTaskName(*this, g_))); }

void Form1::cmdDelete_MouseMove() { setPanelText(2, deleteHint(currentTaskName(*this, g_))); }

void Form1::cmdSendtoTray_MouseMove() { setPanelText(2, kTrayHint); }

void Form1::Form_MouseMove() { setPanelText(2, taskSummary()); }

QString Form1::taskSummary() const {
    const int active = g_.activeCount();
    return QString::number(g_.TaskCount) + " Tasks listed, " + QString::number(active) + " of which " +
           (active == 1 ? "is" : "are") + " currently active.";
}

// The flags act at the next start; here the flag and its mark change, and
// the options are saved.
void Form1::MenuMinimize_Click() {
    g_.MinimizeOnStartup = toggled(g_.MinimizeOnStartup);
    MenuMinimize->setChecked(g_.MinimizeOnStartup != 0);
    saveChanges();
}

void Form1::MenuTray_Click() {
    g_.MinimizeToTray = toggled(g_.MinimizeToTray);
    MenuTray->setChecked(g_.MinimizeToTray != 0);
    saveChanges();
}

// Acts from the next tick on.
void Form1::MenuMissed_Click() {
    g_.RunMissedTasks = toggled(g_.RunMissedTasks);
    MenuMissed->setChecked(g_.RunMissedTasks != 0);
    saveChanges();
}

void Form1::MenuContents_Click() { frmHelp::showFor(this)->setDataFolder(QString::fromStdString(folder_)); }

void Form1::AboutOption_Click() {
    if (!about_) about_ = new frmAbout(this);
    about_->setDataFolder(QString::fromStdString(folder_));
    about_->show();
    about_->raise();
    about_->activateWindow();
}

// Closing runs the unload (which writes the store) and ends the program.
void Form1::Exit() { close(); }

} // namespace wendrel
