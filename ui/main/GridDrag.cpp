#include "ui/main/GridDrag.h"

#include <QFrame>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "model/TaskList.h"
#include "script/Platform.h"
#include "ui/Twips.h"
#include "ui/main/TaskGrid.h"

namespace wendrel {

GridDrag::GridDrag(General& g, TaskGrid& grid, QFrame* line, MessageBoxes& messages, std::function<void()> saved)
    : g_(g), grid_(grid), line_(line), messages_(messages), saved_(std::move(saved)) {}

void GridDrag::mouseMove(bool buttonHeld, double y) {
    if (buttonHeld) follow(y);
    else if (g_.Dragging != 0) drop();
    else line_->hide();
}

void GridDrag::follow(double y) {
    // Rows are counted from the first row whose top edge is in view (taken
    // before the row look is restored, which may scroll).
    const QTableWidget* table = grid_.table();
    const int topRow = grid_.topRow();
    const int topRowY = table->rowViewportPosition(topRow);
    if (g_.Dragging == 0) {
        g_.DragStartRow = static_cast<std::int16_t>(grid_.row());
        g_.Dragging = 1;
    }
    grid_.selectRow(grid_.row());

    const int rowPixels = grid_.rowHeightPixels();
    // The rows start inside the grid's frame, so boundary k lies k rows
    // below the first visible row's top.
    const int gridTop = table->y();
    const int gridBottom = table->y() + table->height();
    const int rowsTop = gridTop + table->viewport()->y() + topRowY;

    // A tiny allowance keeps a pointer exactly on a row boundary from
    // falling into the row above through the pixel/twip round trip.
    const double q = std::floor((twipsToPixelsY(y) - topRowY) / rowPixels + 1e-9);
    const int pointerRow = static_cast<int>(std::clamp(q, -1.0e6, 1.0e6));
    const int rowsInView = static_cast<int>(std::floor(static_cast<double>(gridBottom - rowsTop) / rowPixels));
    const DropPlace place = dropPlace(pointerRow, topRow, grid_.rows(), g_.TaskCount, rowsInView);
    g_.DropOffset = static_cast<std::int16_t>(place.offset);

    int lineY = rowsTop + rowPixels * place.offset;
    if (place.line == DropPlace::Line::GridBottom) lineY = gridBottom;
    else if (place.line == DropPlace::Line::GridTop) lineY = gridTop;
    // The line is a few pixels thick: centre it on the boundary but keep it
    // inside the grid's vertical extent.
    const int thickness = line_->height();
    const int drawnY = std::clamp(lineY - thickness / 2, gridTop, std::max(gridTop, gridBottom - thickness));
    line_->move(line_->x(), drawnY);
    if (topRow + g_.DropOffset != g_.DragStartRow) {
        line_->raise();
        line_->show();
    }
}

void GridDrag::drop() {
    const int topRow = grid_.topRow();
    grid_.selectRow(grid_.row());
    const RowMove move = dropMove(g_.DragStartRow, topRow, g_.DropOffset);
    bool moved = false;
    if (move.changesOrder() &&
        messages_.show(moveQuestion(move), "Altering task order", MsgButtons::YesNo, MsgIcon::None) == MsgAnswer::Yes) {
        g_.move(move.from, move.to);
        moved = true;
    }
    grid_.fill(g_, 0);
    grid_.selectRow(move.to - 1);
    // The list stays where it was; it scrolls only as far as needed to show
    // the new current row (after a No, the row at the target position).
    grid_.keepTopRow(topRow);
    g_.Dragging = 0;
    line_->hide();
    if (moved) saved_();
}

} // namespace wendrel
