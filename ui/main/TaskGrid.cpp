#include "ui/main/TaskGrid.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QDate>
#include <QFont>
#include <QLabel>
#include <QLocale>
#include <QPalette>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTime>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "model/General.h"
#include "ui/Text.h"
#include "ui/Twips.h"

namespace wendrel {

namespace {

constexpr int kRowHeight = 225;
constexpr int kColumns = 8;
const int kColumnWidths[kColumns] = {1600, 2400, 700, 1000, 770, 1, 1250, 1850};
constexpr int kActiveColumn = 4;
constexpr int kCurrentColumn = 5; // holds the current cell of a whole-row selection
// The columns that carry headings, in the order of the headings.
constexpr int kHeadingColumns[TaskGrid::kHeadings] =
    {0, 1, 2, 3, 4, TaskGrid::kNextStartColumn, TaskGrid::kLastRunColumn};

QDate dateOf(const DateTime& t) { return QDate(t.year, t.month, t.day); }

// A moment near now, as short as says it: the time alone today (with the
// seconds when they are not 0), the weekday within a week, the day and month
// within the year, else the date alone.
QString momentText(const DateTime& t, const DateTime& now) {
    const QLocale sys = QLocale::system();
    const QTime time(t.hour, t.minute, t.second);
    const QString hm = sys.toString(time, t.second != 0 ? "HH:mm:ss" : "HH:mm");
    const qint64 days = std::abs(dateOf(now).daysTo(dateOf(t)));
    if (days == 0) return hm;
    if (days < 7) return sys.toString(dateOf(t), "ddd") + ' ' + hm;
    if (t.year == now.year) return sys.toString(dateOf(t), "dd MMM") + ' ' + hm;
    return sys.toString(dateOf(t), "dd MMM yyyy");
}

// The grid's cells are narrow (a script name gets 1000 twips), so their text
// keeps a margin of one pixel instead of the desktop's wider focus margin.
class NarrowCellStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_FocusFrameHMargin) return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// Cells hold the record's fixed-width texts. Their blank fill is not drawn
// (it would only push a text that fits into an ellipsis); a text that does
// not fit its column ends in an ellipsis and shows whole as a tooltip.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = shown(option->text);
    }
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip) return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString text = shown(index.data().toString());
        // The text's room: the cell less its grid line and the text margins.
        const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, view) + 1;
        const int room = option.rect.width() - 1 - 2 * margin;
        if (option.fontMetrics.horizontalAdvance(text) > room) QToolTip::showText(event->globalPos(), text, view);
        else QToolTip::hideText();
        return true;
    }

private:
    static QString shown(QString text) {
        while (text.endsWith(QLatin1Char(' '))) text.chop(1);
        return text;
    }
};

} // namespace

TaskGrid::TaskGrid(QWidget* parent) {
    QTableWidget* Grid1 = table_ = new QTableWidget(1, kColumns, parent);
    Grid1->setObjectName("Grid1");
    Grid1->horizontalHeader()->hide();
    Grid1->verticalHeader()->hide();
    Grid1->horizontalHeader()->setMinimumSectionSize(1);
    Grid1->verticalHeader()->setMinimumSectionSize(1);
    Grid1->verticalHeader()->setDefaultSectionSize(twipsY(kRowHeight));
    Grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Whole rows scroll, so the first row in view is always shown in full and
    // the drop arithmetic can count rows from the grid's top edge.
    Grid1->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // The columns always fit the grid (fitColumns): there is nothing to
    // scroll sideways.
    Grid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The selection is set by the program only (whole-row look), never by
    // the grid's own mouse handling.
    Grid1->setSelectionMode(QAbstractItemView::NoSelection);
    Grid1->setTabKeyNavigation(false);
    Grid1->setWordWrap(false);
    Grid1->setTextElideMode(Qt::ElideRight);
    Grid1->setItemDelegate(new CellDelegate(Grid1));
    Grid1->setMouseTracking(true);
    Grid1->viewport()->setMouseTracking(true);
    Grid1->setAttribute(Qt::WA_NoMousePropagation);
    Grid1->viewport()->setAttribute(Qt::WA_NoMousePropagation);
    auto* cellStyle = new NarrowCellStyle;
    cellStyle->setParent(Grid1);
    Grid1->setStyle(cellStyle);
    // The current row keeps its highlight while another window is active:
    // the selection colours of the inactive group are the active ones.
    QPalette gridColours = Grid1->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        gridColours.setColor(QPalette::Inactive, role, gridColours.color(QPalette::Active, role));
    Grid1->setPalette(gridColours);
}

int TaskGrid::row() const {
    const int r = table_->currentRow();
    return r < 0 ? 0 : r;
}

void TaskGrid::setRow(int row) {
    const int col = table_->currentColumn();
    table_->setCurrentCell(row, col < 0 ? 0 : col, QItemSelectionModel::NoUpdate);
}

int TaskGrid::rows() const { return table_->rowCount(); }

void TaskGrid::setRows(int rows) {
    const int current = row();
    table_->setRowCount(rows);
    if (current >= rows) setRow(rows - 1);
    else if (table_->currentRow() < 0) setRow(0);
}

int TaskGrid::col() const {
    const int c = table_->currentColumn();
    return c < 0 ? 0 : c;
}

void TaskGrid::setCol(int col) { table_->setCurrentCell(row(), col, QItemSelectionModel::NoUpdate); }

int TaskGrid::topRow() const {
    int r = table_->rowAt(0);
    if (r < 0) return 0;
    if (table_->rowViewportPosition(r) < 0 && r + 1 < table_->rowCount()) ++r;
    return r;
}

void TaskGrid::setTopRow(int row) {
    if (row < 0 || row >= table_->rowCount()) return;
    const bool byRows = table_->verticalScrollMode() == QAbstractItemView::ScrollPerItem;
    table_->verticalScrollBar()->setValue(byRows ? row : table_->verticalHeader()->sectionPosition(row));
}

void TaskGrid::keepTopRow(int top) {
    setTopRow(std::clamp(top, 0, std::max(0, rows() - 1)));
    table_->scrollTo(table_->model()->index(row(), 0), QAbstractItemView::EnsureVisible);
    table_->horizontalScrollBar()->setValue(0);
}

void TaskGrid::setSelection(int rowStart, int rowEnd, int colStart, int colEnd) {
    table_->clearSelection();
    QItemSelection sel(table_->model()->index(rowStart, colStart), table_->model()->index(rowEnd, colEnd));
    table_->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
}

void TaskGrid::selectTaskCells(int row) {
    setSelection(row, row, 0, kActiveColumn);
    const QItemSelection status(table_->model()->index(row, kNextStartColumn),
                                table_->model()->index(row, kLastRunColumn));
    table_->selectionModel()->select(status, QItemSelectionModel::Select);
}

void TaskGrid::selectRow(int row) {
    if (row < 0) row = 0;
    if (row >= rows()) row = rows() - 1;
    setRow(row);
    setCol(kCurrentColumn);
    selectTaskCells(row);
}

void TaskGrid::keyDownLook() {
    const int r = row();
    selectTaskCells(r);
    table_->horizontalScrollBar()->setValue(0);
    setCol(0);
}

void TaskGrid::keyUpLook() {
    const int r = row();
    selectTaskCells(r);
    setCol(kCurrentColumn);
    table_->horizontalScrollBar()->setValue(0);
}

void TaskGrid::setCell(int row, int col, const QString& text) {
    if (QTableWidgetItem* item = table_->item(row, col)) item->setText(text);
    else table_->setItem(row, col, new QTableWidgetItem(text));
}

void TaskGrid::writeCells(const General& g, int n) {
    const TaskRecord& r = g.slot(n);
    const int row = n - 1;
    const std::string cells[5] = {r.Name.shown(), r.Comment.shown(), g.intervalName(r.Interval), r.ScriptFile.shown(),
                                  g.yesNoName(r.Active)};
    for (int c = 0; c < 5; ++c) setCell(row, c, QString::fromStdString(cells[c]));
    refreshStatus(n);
}

QString TaskGrid::nextStartText(const Session::TaskStatus& st, const DateTime& now) {
    return st.nextStart ? momentText(*st.nextStart, now) : QString();
}

QString TaskGrid::lastRunText(const Session::TaskStatus& st, const DateTime& now) {
    using Outcome = Session::TaskStatus::Outcome;
    const QString when = st.lastStart ? momentText(*st.lastStart, now) : QString();
    switch (st.lastOutcome) {
        case Outcome::Running:
            return when.isEmpty() ? QString("Running") : "Running since " + when;
        case Outcome::Succeeded:
            return when + " Succeeded";
        case Outcome::Failed:
            return when + " Failed: " + QString::fromStdString(st.lastFailure);
        default:
            return {};
    }
}

void TaskGrid::refreshStatus(int n) {
    if (!statusOf_ || n < 1 || n > rows()) return;
    const int row = n - 1;
    const Session::TaskStatus st = statusOf_(n);
    if (nextStarts_.size() < static_cast<std::size_t>(rows())) nextStarts_.resize(rows());
    nextStarts_[row] = st.nextStart;
    const DateTime now = shownMinute_.value_or(st.nextStart.value_or(DateTime{}));
    setCell(row, kNextStartColumn, nextStartText(st, now));
    setCell(row, kLastRunColumn, lastRunText(st, now));
    // A running task's row is drawn in bold.
    for (int c = 0; c < table_->columnCount(); ++c) {
        QTableWidgetItem* item = table_->item(row, c);
        if (item && item->font().bold() != st.running) {
            QFont f = item->font();
            f.setBold(st.running);
            item->setFont(f);
        }
    }
}

void TaskGrid::clockShows(const DateTime& now) {
    DateTime minute = now;
    minute.second = 0;
    if (shownMinute_ && *shownMinute_ == minute) return;
    const std::int64_t step = shownMinute_ ? minute.serialMinute() - shownMinute_->serialMinute() : 0;
    const bool everyRow = !shownMinute_ || step != 1 || dateOf(minute) != dateOf(*shownMinute_);
    shownMinute_ = minute;
    const int count = std::min<int>(rows(), static_cast<int>(nextStarts_.size()));
    for (int row = 0; row < count; ++row)
        if (everyRow || (nextStarts_[row] && *nextStarts_[row] <= now)) refreshStatus(row + 1);
}

void TaskGrid::fill(const General& g, int index) {
    if (index >= 1) {
        writeCells(g, index);
        setRow(index - 1);
        setCol(kActiveColumn);
        return;
    }
    if (g.TaskCount < 1) return;
    for (int n = 1; n <= g.TaskCount; ++n) writeCells(g, n);
    // The current cell ends where the last write leaves it; the list must
    // not scroll along with it.
    table_->setAutoScroll(false);
    setRow(g.TaskCount - 1);
    setCol(kActiveColumn);
    table_->setAutoScroll(true);
}

void TaskGrid::clearRow(int row) {
    for (int c = 0; c < table_->columnCount(); ++c)
        if (QTableWidgetItem* item = table_->item(row, c)) item->setText(QString());
}

void TaskGrid::showTaskCount(int taskCount, int currentRow) {
    if (taskCount > 0) {
        setRows(taskCount);
        selectRow(currentRow);
        return;
    }
    setRows(1);
    clearRow(0);
    selectRow(0);
}

int TaskGrid::rowHeightPixels() const {
    const int h = table_->rowCount() > 0 ? table_->rowHeight(0) : 0;
    return h > 0 ? h : std::max(1, twipsY(kRowHeight));
}

int TaskGrid::activeColumnLeft() const { return table_->columnViewportPosition(kActiveColumn); }

// The columns share the grid's inner width in the drawn proportions; the
// comment column takes the rounding, so they fill the width exactly and the
// grid never scrolls sideways. The headings stand over their columns.
void TaskGrid::fitColumns() {
    // Until the grid is shown its viewport is not laid out: predict its width.
    int room = table_->viewport()->width();
    if (!table_->isVisible()) {
        room = table_->contentsRect().width();
        if (table_->rowCount() * table_->verticalHeader()->defaultSectionSize() > table_->contentsRect().height())
            room -= table_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table_->verticalScrollBar());
    }
    double total = 0;
    for (int w : kColumnWidths) total += w;
    int used = 0;
    for (int c = 0; c < kColumns; ++c) {
        if (c == 1) continue;
        const int w = std::max(1, static_cast<int>(std::lround(kColumnWidths[c] * room / total)));
        if (table_->columnWidth(c) != w) table_->setColumnWidth(c, w);
        used += w;
    }
    table_->setColumnWidth(1, std::max(1, room - used));
    table_->horizontalScrollBar()->setValue(0);

    const int left = table_->x() + table_->viewport()->x();
    for (int k = 0; k < kHeadings; ++k) {
        QLabel* h = headings_[k];
        if (!h) continue;
        const int c = kHeadingColumns[k];
        const int x = left + table_->columnViewportPosition(c);
        h->setGeometry(x, h->y(), std::max(h->width(), table_->columnWidth(c)), h->height());
    }
}

} // namespace wendrel
