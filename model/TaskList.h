#pragma once
// The task list's editing rules that the grid follows: adding a task and
// taking it back, the row that stays current after a removal, and where a
// row dragged over the grid lands. Rows count from 0, tasks (slots) from 1.
#include <string>

#include "model/General.h"

namespace wendrel {

// New: remembers the task that was current (row currentRow) and adds a
// blank task that stays pending until the editor saves it. Returns its slot,
// or 0 when the table is full (nothing is added then).
int beginNewTask(General& g, int currentRow);

// The editor was left without saving: a pending new task goes again and the
// list is as it was. Returns whether a task was taken away; the row to make
// current is then TaskBeforeNew - 1 (if any task is left).
bool cancelNewTask(General& g);

// The row that is current after the task in slot removed went: the row that
// took its place, or the last one when it was the last.
int rowAfterRemoval(int removed, int taskCount);

// Where the drag indicator stands while a row is dragged.
struct DropPlace {
    enum class Line { AtBoundary, GridBottom, GridTop };
    // The row boundary the drop targets, counted from the first visible row.
    int offset = 0;
    // AtBoundary: the line sits on that boundary; otherwise the pointer is
    // beyond the grid and the line sits on its bottom or top edge.
    Line line = Line::AtBoundary;
};

// pointerRow: the row under the pointer counted from the first visible row
// (negative above it); topRow: that first visible row; rowsInView: the whole
// rows between its top and the grid's bottom edge.
DropPlace dropPlace(int pointerRow, int topRow, int gridRows, int taskCount, int rowsInView);

// A drop's move as the question names it (1-based positions).
struct RowMove {
    int from = 0;
    int to = 0;
    bool changesOrder() const { return from != to; }
};

RowMove dropMove(int dragStartRow, int topRow, int dropOffset);

// The question asked before a row is moved.
std::string moveQuestion(const RowMove& move);

} // namespace wendrel
