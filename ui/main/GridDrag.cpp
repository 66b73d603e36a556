#include "ui/main/GridDrag.h"

#include <QFrame>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "model/TaskList.h"
#include "session/Session.h"
#include "ui/Twips.h"
#include "ui/main/TaskGrid.h"

namespace wendrel {

namespace {

// Where the grid's rows stand, in client-area pixels.
struct RowGeometry {
    int topRow = 0;    // the first row whose top edge is in view
    int topRowY = 0;   // its top in the grid's viewport
    int rowPixels = 1; // the height of every row
    int gridTop = 0;   // the grid's top and bottom edges
    int gridBottom = 0;
    int rowsTop = 0; // the first visible row's top: the rows start inside the grid's frame
};

RowGeometry measure(const TaskGrid& grid) {
    const QTableWidget* table = grid.table();
    RowGeometry g;
    g.topRow = grid.topRow();
    g.topRowY = table->rowViewportPosition(g.topRow);
    g.rowPixels = grid.rowHeightPixels();
    g.gridTop = table->y();
    g.gridBottom = table->y() + table->height();
    g.rowsTop = g.gridTop + table->viewport()->y() + g.topRowY;
    return g;
}

} // namespace

void GridDrag::mouseMove(bool buttonHeld, double y) {
    if (buttonHeld) follow(y);
    else if (dragging_) drop();
    else line_->hide();
}

void GridDrag::follow(double y) {
    // Measured before the row look is restored, which may scroll.
    const RowGeometry rows = measure(grid_);
    if (!dragging_) {
        dragStartRow_ = grid_.row();
        dragging_ = true;
    }
    grid_.selectRow(grid_.row());

    // A tiny allowance keeps a pointer exactly on a row boundary from
    // falling into the row above through the pixel/twip round trip.
    const double q = std::floor((twipsToPixelsY(y) - rows.topRowY) / rows.rowPixels + 1e-9);
    const int pointerRow = static_cast<int>(std::clamp(q, -1.0e6, 1.0e6));
    const int rowsInView = static_cast<int>(std::floor(double(rows.gridBottom - rows.rowsTop) / rows.rowPixels));
    const DropPlace place = dropPlace(pointerRow, rows.topRow, grid_.rows(), session_.general().TaskCount, rowsInView);
    dropOffset_ = place.offset;

    int lineY = rows.rowsTop + rows.rowPixels * place.offset;
    if (place.line == DropPlace::Line::GridBottom) lineY = rows.gridBottom;
    else if (place.line == DropPlace::Line::GridTop) lineY = rows.gridTop;
    // The line appears once the target is other than the dragged row's own top edge.
    showLine(lineY, rows.gridTop, rows.gridBottom, rows.topRow + dropOffset_ != dragStartRow_);
}

void GridDrag::showLine(int y, int gridTop, int gridBottom, bool shown) {
    // The line is a few pixels thick: centre it on the boundary but keep it
    // inside the grid's vertical extent.
    const int thickness = line_->height();
    line_->move(line_->x(), std::clamp(y - thickness / 2, gridTop, std::max(gridTop, gridBottom - thickness)));
    if (!shown) return;
    line_->raise();
    line_->show();
}

void GridDrag::drop() {
    const int topRow = grid_.topRow();
    grid_.selectRow(grid_.row());
    const RowMove move = dropMove(dragStartRow_, topRow, dropOffset_);
    session_.move(move); // asks first; a move to the same place asks nothing
    grid_.fill(session_.general(), 0);
    grid_.selectRow(move.to - 1);
    // The list stays where it was; it scrolls only as far as needed to show
    // the new current row (after a No, the row at the target position).
    grid_.keepTopRow(topRow);
    dragging_ = false;
    line_->hide();
}

} // namespace wendrel
