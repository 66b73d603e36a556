// Running a task by hand, the run history window, starting at login, and the
// grid's context menu that offers the first two for the row under the mouse.
#include <QAction>
#include <QMenu>
#include <QTableWidget>

#include "ui/history/frmHistory.h"
#include "ui/main/Form1.h"

namespace wendrel {

namespace {
// The current task's name as the history records it.
QString historyTaskName(const Form1& form, const General& g) {
    const int n = form.gridRow() + 1;
    if (n < 1 || n > g.TaskCount) return {};
    return QString::fromStdString(historyText(g.slot(n).Name.str()));
}
} // namespace

void Form1::buildRunMenus() {
    MenuRunNow = new QAction("Run Task Now", this);
    MenuRunNow->setObjectName("MenuRunNow");
    MenuHistory = new QAction("Run History", this);
    MenuHistory->setObjectName("MenuHistory");
    FileMenu->insertAction(Spacer, MenuRunNow);
    FileMenu->insertAction(Spacer, MenuHistory);
    // A script run by hand may wait for minutes: it starts once the menu has
    // closed, not inside the menu's own event handling.
    connect(
        MenuRunNow, &QAction::triggered, this, [this] { RunTaskNow(); }, Qt::QueuedConnection);
    connect(MenuHistory, &QAction::triggered, this, [this] { MenuHistory_Click(); });

    OptionMenu->addSeparator();
    MenuStartAtLogin = OptionMenu->addAction("Start at Login");
    MenuStartAtLogin->setObjectName("MenuStartAtLogin");
    MenuStartAtLogin->setCheckable(true);
    MenuStartAtLogin->setEnabled(services_.loginStart != nullptr);
    connect(MenuStartAtLogin, &QAction::triggered, this, [this] { MenuStartAtLogin_Click(); });
    // The mark shows whether the entry is there now, whoever made or removed it.
    auto showLoginState = [this] {
        MenuStartAtLogin->setChecked(services_.loginStart && services_.loginStart->isEnabled());
    };
    connect(OptionMenu, &QMenu::aboutToShow, this, showLoginState);
    showLoginState();

    GridPopup = new QMenu(this);
    GridPopup->setObjectName("GridPopup");
    GridPopup->addAction(MenuRunNow);
    TaskHistory = GridPopup->addAction("Run History of This Task");
    TaskHistory->setObjectName("TaskHistory");
    connect(TaskHistory, &QAction::triggered, this, [this] { MenuHistory_Click(true); });
    Grid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        // The row under the mouse becomes current, as a left click makes it.
        const int row = Grid1->rowAt(pos.y());
        if (row >= 0) selectRow(row);
        GridPopup->popup(Grid1->viewport()->mapToGlobal(pos));
    });
}

void Form1::RunTaskNow() {
    if (g_.TaskCount < 1) return;
    // The refusal gets a word in the hint panel, not a message box. A task
    // whose script file was missing also stays marked until the next start.
    const QString name = historyTaskName(*this, g_);
    if (!scheduler_.RunNow(gridRow() + 1))
        setPanelText(2, "Task " + name + " has not finished its last run: not started again.");
}

void Form1::MenuHistory_Click(bool currentTaskOnly) {
    frmHistory::showFor(this, QString::fromStdString(folder_),
                        currentTaskOnly ? historyTaskName(*this, g_) : QString(""));
}

void Form1::MenuStartAtLogin_Click() {
    if (!services_.loginStart) return;
    std::string failure;
    if (!services_.loginStart->setEnabled(!services_.loginStart->isEnabled(), failure))
        setPanelText(2, QString::fromStdString("Start at Login could not be changed: " + failure));
    MenuStartAtLogin->setChecked(services_.loginStart->isEnabled());
}

} // namespace wendrel
