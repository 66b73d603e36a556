#pragma once
// The hints in the status bar's second panel: what the button or the grid
// column under the pointer does, and over the window's free area a summary
// of the task list.
#include <QString>
#include <QStringList>

namespace wendrel {

class ElidingLabel;
class General;
class TaskGrid;

class Hints {
public:
    Hints(const General& g, const TaskGrid& grid, ElidingLabel* panel) : g_(g), grid_(grid), panel_(panel) {}

    void showNewTask();
    void showEditTask();
    void showDelete();
    void showStandby();
    // The grid's hint for a pointer over the Active column or left of it.
    void showGrid(bool overActiveColumn);
    void showNextStartColumn();
    void showLastRunColumn();
    void showSummary();
    // "n Tasks listed, m of which are currently active."
    QString summary() const;

    // The hints of the window's controls, for sizing the panel.
    static QStringList samples();

private:
    QString currentTaskName() const;
    void show(const QString& text);

    const General& g_;
    const TaskGrid& grid_;
    ElidingLabel* panel_;
};

} // namespace wendrel
