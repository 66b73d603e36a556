// Task list commands: New, Edit, Delete, toggle Active, and the grid's
// row-selection upkeep.
#include <QScrollBar>
#include <QTableWidget>
#include <cstdlib>

#include "ui/Text.h"
#include "ui/editor/frmDetail.h"
#include "ui/main/Form1.h"

namespace wendrel {

namespace {

// The single row of an empty list shows no task.
void clearRow(QTableWidget* grid, int row) {
    for (int c = 0; c < grid->columnCount(); ++c)
        if (QTableWidgetItem* item = grid->item(row, c)) item->setText(QString());
}

} // namespace

void Form1::NewTask() {
    g_.TaskBeforeNew = static_cast<std::int16_t>(gridRow() + 1);
    if (g_.TaskCount >= General::MaxTasks) return; // full: silently nothing
    g_.NewTaskPending = 1;
    const int top = gridTopRow();
    const int n = g_.append();
    setGridRows(g_.TaskCount);
    FillGridRow(n); // leaves the new row current
    selectRow(n - 1);
    editor()->exec(); // its Save saves the list; a cancelled New changes nothing
    // A cancelled new task leaves the list showing the rows it showed before.
    if (g_.TaskCount < n) keepTopRow(top);
}

void Form1::EditTask() {
    // With an empty list the grid's one row holds no task: nothing to edit.
    if (g_.TaskCount < 1) return;
    editor()->exec();
    selectRow(gridRow());
}

void Form1::DeleteTask() {
    if (g_.TaskCount < 1) return;
    const int k = gridRow() + 1;
    if (k > g_.TaskCount) return;
    const std::string name = fromRecordText(g_.slot(k).Name.trimmed()).toStdString();
    if (!services_.messages) return;
    const MsgAnswer answer = services_.messages->show("Are you sure you wish to delete " + name + "?", "Delete Task",
                                                      MsgButtons::YesNo, MsgIcon::None);
    if (answer != MsgAnswer::Yes) return;

    g_.remove(k);
    FillGridRow(0);
    if (g_.TaskCount == 0) {
        setGridRows(1);
        clearRow(Grid1, 0);
        selectRow(0);
    } else {
        setGridRows(g_.TaskCount);
        selectRow(g_.TaskCount > k - 1 ? k - 1 : g_.TaskCount - 1);
    }
    saveChanges();
}

void Form1::ToggleActive() {
    if (g_.TaskCount < 1) return;
    const int k = gridRow() + 1;
    if (k > g_.TaskCount) return;
    TaskRecord& r = g_.slot(k);
    r.Active = toggled(r.Active);
    FillGridRow(k);
    selectRow(k - 1);
    saveChanges();
}

void Form1::Grid1_dblclick() {
    if (hintText().left(6) == "Double") ToggleActive();
    else EditTask();
}

void Form1::Grid1_MouseDown() { selectRow(gridRow()); }

void Form1::Grid1_MouseUp() { selectRow(gridRow()); }

void Form1::Grid1_KeyDown(int key) {
    if (key == kEnterKeyCode) EditTask();
    const int row = gridRow();
    setGridSelection(row, row, 0, 4);
    Grid1->horizontalScrollBar()->setValue(0);
    setGridCol(0);
}

void Form1::Grid1_KeyUp(int) {
    const int row = gridRow();
    setGridSelection(row, row, 0, 4);
    setGridCol(5);
    Grid1->horizontalScrollBar()->setValue(0);
}

} // namespace wendrel
