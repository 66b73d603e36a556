// Drag reordering of the task grid and the grid's column hints.
//
// The whole gesture lives in the grid's mouse-move handler: the first move
// with a button held starts the drag, every further one places the indicator
// line, and the first move after the button is released drops the row (the
// release itself only restores the row look). The grid's metrics are taken
// from the widget, so the hint, the indicator and the drop position match the
// columns and rows the user sees.
#include <QFrame>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <string>

#include "ui/Twips.h"
#include "ui/main/Form1.h"

namespace wendrel {

namespace {

// Height of one grid row in pixels (all rows share it).
int rowHeightPixels(const QTableWidget* grid) {
    const int h = grid->rowCount() > 0 ? grid->rowHeight(0) : 0;
    return h > 0 ? h : std::max(1, TwipsY(225));
}

} // namespace

void Form1::Grid1_MouseMove(int button, double x, double y) {
    // 1. The hint depends on the column under the pointer only.
    const double activeLeft = PixelsToTwipsX(Grid1->columnViewportPosition(4));
    setPanelText(2, gridHint(x > activeLeft));

    const int rowPixels = rowHeightPixels(Grid1);
    // Rows are counted from the first row whose top edge is in view.
    const int topRow = gridTopRow();
    const int topRowY = Grid1->rowViewportPosition(topRow);

    if (button != 0) {
        if (g_.Dragging == 0) {
            g_.DragStartRow = static_cast<std::int16_t>(gridRow());
            g_.Dragging = 1;
        }
        selectRow(gridRow());

        // The row whose top edge carries the indicator, counted from the
        // first visible row; at most the end of the list.
        const int n = gridRows() - topRow;
        // A tiny allowance keeps a pointer exactly on a row boundary from
        // falling into the row above through the pixel/twip round trip.
        const double q = std::floor((twipsToPixelsY(y) - topRowY) / rowPixels + 1e-9);
        int offset = q < n ? static_cast<int>(std::max(q, -1.0e6)) : n;

        // Indicator position in the client area. The rows start inside the
        // grid's frame, so boundary k lies k rows below the first row's top.
        const int gridTop = Grid1->y();
        const int gridBottom = Grid1->y() + Grid1->height();
        const int rowsTop = gridTop + Grid1->viewport()->y() + topRowY;
        int lineY = rowsTop + rowPixels * offset;
        if (lineY > gridBottom) {
            // Below the grid (a list longer than the grid shows): the end of
            // the list, counted from the first visible row so that a scrolled
            // grid cannot point behind the last task.
            lineY = gridBottom;
            offset = std::max(0, static_cast<int>(g_.TaskCount) - topRow);
        }
        if (lineY < rowsTop) {
            lineY = gridTop;
            offset = 0;
        }
        g_.DropOffset = static_cast<std::int16_t>(offset);

        // The line is a few pixels thick: centre it on the boundary but keep
        // it inside the grid's vertical extent.
        const int thickness = Line1->height();
        const int drawnY = std::clamp(lineY - thickness / 2, gridTop, std::max(gridTop, gridBottom - thickness));
        Line1->move(Line1->x(), drawnY);
        if (topRow + g_.DropOffset != g_.DragStartRow) {
            Line1->raise();
            Line1->show();
        }
        return;
    }

    if (g_.Dragging == 0) {
        Line1->hide();
        return;
    }

    // The drop: the first move after the button was released.
    selectRow(gridRow());
    const int b = topRow + g_.DropOffset;
    const int s = g_.DragStartRow;
    const int from = s + 1;
    const int to = s < b ? b : b + 1;
    bool moved = false;
    if (from != to && services_.messages) {
        const std::string question =
            "Are you sure you wish to move row " + std::to_string(from) + " to row " + std::to_string(to) + "?";
        if (services_.messages->show(question, "Altering task order", MsgButtons::YesNo, MsgIcon::None) ==
            MsgAnswer::Yes) {
            g_.move(from, to);
            moved = true;
        }
    }
    FillGridRow(0);
    selectRow(to - 1);
    // The list stays where it was; it scrolls only as far as needed to show
    // the new current row (after a No, the row at the target position).
    keepTopRow(topRow);
    g_.Dragging = 0;
    Line1->hide();
    if (moved) saveChanges();
}

} // namespace wendrel
