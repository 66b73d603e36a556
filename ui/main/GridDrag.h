#pragma once
// Drag reordering of the task grid.
//
// The whole gesture lives in the grid's mouse moves: the first move with a
// button held starts the drag, every further one places the indicator line,
// and the first move after the button is released drops the row (the
// release itself only restores the row look). The grid's metrics are taken
// from the widget, so the indicator and the drop position match the rows the
// user sees; the arithmetic itself is the task list's (model/TaskList.h).
#include <functional>

class QFrame;

namespace wendrel {

class General;
class MessageBoxes;
class TaskGrid;

class GridDrag {
public:
    // line: the indicator, a child of the grid's parent; saved: called after
    // a drop that changed the order.
    GridDrag(General& g, TaskGrid& grid, QFrame* line, MessageBoxes& messages, std::function<void()> saved);

    // A move over the grid, y in twips from its top edge.
    void mouseMove(bool buttonHeld, double y);

private:
    void follow(double y);
    // Moves the indicator onto boundary y (client-area pixels) and shows it
    // if shown; a line already showing stays.
    void showLine(int y, int gridTop, int gridBottom, bool shown);
    void drop();

    General& g_;
    TaskGrid& grid_;
    QFrame* line_;
    MessageBoxes& messages_;
    std::function<void()> saved_;
};

} // namespace wendrel
