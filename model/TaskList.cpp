#include "model/TaskList.h"

#include <algorithm>

namespace wendrel {

int rowAfterRemoval(int removed, int taskCount) { return std::min(removed - 1, taskCount - 1); }

DropPlace dropPlace(int pointerRow, int topRow, int gridRows, int taskCount, int rowsInView) {
    // At most the end of the list.
    const int offset = std::min(pointerRow, gridRows - topRow);
    // Below the grid (a list longer than the grid shows): the end of the
    // list, counted from the first visible row so that a scrolled grid
    // cannot point behind the last task.
    if (offset > rowsInView) return {std::max(0, taskCount - topRow), DropPlace::Line::GridBottom};
    if (offset < 0) return {0, DropPlace::Line::GridTop};
    return {offset, DropPlace::Line::AtBoundary};
}

RowMove dropMove(int dragStartRow, int topRow, int dropOffset) {
    // The boundary above row b: a row dragged down lands just above it (at
    // position b once it has left its own place), one dragged up takes b's place.
    const int b = topRow + dropOffset;
    return {dragStartRow + 1, dragStartRow < b ? b : b + 1};
}

std::string moveQuestion(const RowMove& move) {
    return "Are you sure you wish to move row " + std::to_string(move.from) + " to row " + std::to_string(move.to) +
           "?";
}

} // namespace wendrel
