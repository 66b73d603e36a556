#pragma once
// Drag reordering of the task grid.
//
// The whole gesture lives in the grid's mouse moves: the first move with a
// button held starts the drag, every further one places the indicator line,
// and the first move after the button is released drops the row (the
// release itself only restores the row look). The grid's metrics are taken
// from the widget, so the indicator and the drop position match the rows the
// user sees; the arithmetic itself is the task list's (model/TaskList.h).
class QFrame;

namespace wendrel {

class Session;
class TaskGrid;

class GridDrag {
public:
    // line: the indicator, a child of the grid's parent. The session asks
    // before a drop moves a task, and saves the new order.
    GridDrag(Session& session, TaskGrid& grid, QFrame* line) : session_(session), grid_(grid), line_(line) {}

    // A move over the grid, y in twips from its top edge.
    void mouseMove(bool buttonHeld, double y);

private:
    void follow(double y);
    // Moves the indicator onto boundary y (client-area pixels) and shows it
    // if shown; a line already showing stays.
    void showLine(int y, int gridTop, int gridBottom, bool shown);
    void drop();

    Session& session_;
    TaskGrid& grid_;
    QFrame* line_;
    // The gesture: a drag is under way, from which row, and the boundary it
    // would drop on, counted from the first visible row.
    bool dragging_ = false;
    int dragStartRow_ = 0;
    int dropOffset_ = 0;
};

} // namespace wendrel
