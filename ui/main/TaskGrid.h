#pragma once
// The main window's task grid: one row per task, columns name, comment,
// interval, script and active, and a sixth, hair-thin column that holds the
// current cell while a whole row shows selected. Rows count from 0 (task
// n is row n - 1).
#include <array>

class QLabel;
class QTableWidget;
class QWidget;

namespace wendrel {

class General;

class TaskGrid {
public:
    // Builds the grid widget (object name Grid1) in parent.
    explicit TaskGrid(QWidget* parent);

    QTableWidget* table() const { return table_; }

    // The current cell; a grid without one reads as row 0, column 0.
    int row() const;
    void setRow(int row);
    int rows() const;
    void setRows(int rows);
    int col() const;
    void setCol(int col);
    // The first row whose top edge is in view; a row cut at the top does not count.
    int topRow() const;
    void setTopRow(int row);
    // Selects columns colStart..colEnd of rows rowStart..rowEnd.
    void setSelection(int rowStart, int rowEnd, int colStart, int colEnd);
    // The whole-row look: row current, columns 0-4 selected, current column 5.
    void selectRow(int row);
    // Shows row top first (as far as the list allows) and scrolls no further
    // than needed to keep the current row in view.
    void keepTopRow(int top);
    // The look while a key is down (current column 0, the list at its left
    // edge) and after it was released (current column 5 again); the grid's
    // own key handling moves the row in between.
    void keyDownLook();
    void keyUpLook();

    // Writes task index into row index - 1; an index below 1 writes every task.
    // The current cell is left on the last row written, in the Active column.
    void fill(const General& g, int index);
    // Shows taskCount rows with currentRow current; with no task left, the
    // start-up look of an empty list: one row without a task.
    void showTaskCount(int taskCount, int currentRow);

    // Height of one row in pixels (all rows share it).
    int rowHeightPixels() const;
    // The left edge of the Active column in the grid's viewport.
    int activeColumnLeft() const;

    // The headings that stand over the first five columns.
    void setHeadings(const std::array<QLabel*, 5>& headings) { headings_ = headings; }
    // Shares the grid's inner width among the columns and moves the headings
    // over them.
    void fitColumns();

private:
    // Writes slot n into row n - 1 without moving the current cell.
    void writeCells(const General& g, int n);
    void clearRow(int row);

    QTableWidget* table_ = nullptr;
    std::array<QLabel*, 5> headings_{};
};

} // namespace wendrel
