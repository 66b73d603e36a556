#pragma once
// The task list's commands: New, Edit, Delete, toggling Active and running
// a task at once. Each passes the grid's current row to the session and
// shows the outcome in the grid.
#include <QString>
#include <functional>

namespace wendrel {

class Session;
class TaskGrid;

class TaskCommands {
public:
    struct Hooks {
        std::function<void()> editCurrent; // runs the editor on the current row until it closes
        std::function<void(const QString&)> hint;
        std::function<QString()> shownHint;
    };

    TaskCommands(Session& session, TaskGrid& grid, Hooks hooks)
        : session_(session), grid_(grid), hooks_(std::move(hooks)) {}

    void newTask();
    void editTask();
    void deleteTask();
    void toggleActive();
    // Runs the current task's script at once, as the tick runs a due task;
    // nothing when the list is empty or the task's script is running. The
    // hint panel says that it started, then how it ended (unless another
    // hint has taken the panel meanwhile), or why it did not start.
    void runNow();
    // A run of task n has started (the session's run listener).
    void runStarted(int n);

private:
    int startingByHand_ = 0; // the task runNow is starting
    QString startedHint_;    // what the hint panel said when it started
    Session& session_;
    TaskGrid& grid_;
    Hooks hooks_;
};

} // namespace wendrel
