#pragma once
// The task list's editing rules that the grid follows: the row that stays
// current after a removal, and where a row dragged over the grid lands.
// Rows count from 0, tasks (slots) from 1.
#include <string>

namespace wendrel {

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
