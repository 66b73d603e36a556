#pragma once
// The main window's task grid: one row per task, columns name, comment,
// interval, script and active, a sixth, hair-thin column that holds the
// current cell while a whole row shows selected, and the task's next start
// and last run. Rows count from 0 (task n is row n - 1).
//
// The status columns cost the idle tick one comparison: a task's cells are
// written when the task is written, when one of its runs reports, and when
// the minute passes its next start (or the date or the clock jumps).
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "session/Session.h"

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

    // The headings that stand over the columns, all but the hair-thin one.
    static constexpr int kHeadings = 7;
    void setHeadings(const std::array<QLabel*, kHeadings>& headings) { headings_ = headings; }

    // Where the status columns get task n's status; without one they stay empty.
    void setStatusSource(std::function<Session::TaskStatus(int n)> statusOf) { statusOf_ = std::move(statusOf); }
    // Writes task n's status cells again (one of its runs reported).
    void refreshStatus(int n);
    // The clock shows now: rewrites the tasks whose next start it has
    // reached, every task when the date changed or the clock jumped.
    void clockShows(const DateTime& now);
    // The texts of the status cells, as of the local time now.
    static QString nextStartText(const Session::TaskStatus& st, const DateTime& now);
    static QString lastRunText(const Session::TaskStatus& st, const DateTime& now);
    // The columns of the next start and the last run.
    static constexpr int kNextStartColumn = 6;
    static constexpr int kLastRunColumn = 7;
    // Shares the grid's inner width among the columns and moves the headings
    // over them.
    void fitColumns();

private:
    // Writes slot n into row n - 1 without moving the current cell.
    void writeCells(const General& g, int n);
    void clearRow(int row);

    // Selects the task's cells of row, all but the hair-thin column.
    void selectTaskCells(int row);
    void setCell(int row, int col, const QString& text);

    QTableWidget* table_ = nullptr;
    std::array<QLabel*, kHeadings> headings_{};
    std::function<Session::TaskStatus(int)> statusOf_;
    // Each row's next start as written, and the clock's minute last seen.
    std::vector<std::optional<DateTime>> nextStarts_;
    std::optional<DateTime> shownMinute_;
};

} // namespace wendrel
