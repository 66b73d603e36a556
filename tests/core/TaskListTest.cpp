// The task list's editing rules: where a dragged row lands, and the row
// current after a removal.
#include <gtest/gtest.h>

#include "model/TaskList.h"

using namespace wendrel;

namespace {

struct DropCase {
    const char* name;
    int startRow, pointerRow, topRow, tasks, rowsInView, offset;
    DropPlace::Line line;
    int from, to;
};

constexpr auto kAt = DropPlace::Line::AtBoundary;
constexpr auto kBottom = DropPlace::Line::GridBottom;
constexpr auto kTop = DropPlace::Line::GridTop;

// The grid shows as many rows as the tasks (gridRows == tasks).
const DropCase kDrops[] = {
    {"down", 1, 4, 0, 5, 10, 4, kAt, 2, 4},
    {"up", 3, 0, 0, 5, 10, 0, kAt, 4, 1},
    {"above the grid", 3, -20, 0, 5, 10, 0, kTop, 4, 1},
    {"below the last row of a short list", 1, 9, 0, 5, 10, 5, kAt, 2, 5},
    {"onto itself", 2, 2, 0, 5, 10, 2, kAt, 3, 3},
    {"just below itself", 2, 3, 0, 5, 10, 3, kAt, 3, 3},
    {"scrolled, down", 12, 5, 10, 40, 10, 5, kAt, 13, 15},
    {"scrolled, below the grid", 12, 11, 10, 40, 10, 30, kBottom, 13, 40},
    {"scrolled to the end, below the grid", 35, 12, 30, 40, 10, 10, kAt, 36, 40},
};

} // namespace

TEST(DragDrop, PlaceAndMoveFollowThePointer) {
    for (const DropCase& c : kDrops) {
        SCOPED_TRACE(c.name);
        const DropPlace place = dropPlace(c.pointerRow, c.topRow, c.tasks, c.tasks, c.rowsInView);
        EXPECT_EQ(place.offset, c.offset);
        EXPECT_EQ(place.line, c.line);
        const RowMove move = dropMove(c.startRow, c.topRow, place.offset);
        EXPECT_EQ(move.from, c.from);
        EXPECT_EQ(move.to, c.to);
    }
}

TEST(RemoveTask, TheRowBelowMovesUpIntoPlaceElseTheLastRow) {
    EXPECT_EQ(rowAfterRemoval(2, 4), 1);
    EXPECT_EQ(rowAfterRemoval(5, 4), 3);
}
