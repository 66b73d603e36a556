#pragma once
// The task list's commands: New, Edit, Delete, toggling Active and running
// a task at once. Each acts on the grid's current row and saves the list
// after a change.
#include <QString>
#include <functional>

namespace wendrel {

class General;
class MessageBoxes;
class Scheduler;
class TaskGrid;

class TaskCommands {
public:
    struct Hooks {
        std::function<void()> editCurrent; // runs the editor on the current row until it closes
        std::function<void()> saved;       // the list changed: write it
        std::function<void(const QString&)> hint;
    };

    TaskCommands(General& g, TaskGrid& grid, MessageBoxes& messages, Scheduler& scheduler, Hooks hooks)
        : g_(g), grid_(grid), messages_(messages), scheduler_(scheduler), hooks_(std::move(hooks)) {}

    void newTask();
    void editTask();
    void deleteTask();
    void toggleActive();
    // Runs the current task's script at once, as the tick runs a due task;
    // nothing when the list is empty or the task's script is running.
    void runNow();

private:
    // The current row's task, or 0 when the row holds none.
    int currentTask() const;

    General& g_;
    TaskGrid& grid_;
    MessageBoxes& messages_;
    Scheduler& scheduler_;
    Hooks hooks_;
};

} // namespace wendrel
