#pragma once
// The Run History window: the newest events of Wendrel.log (starts of task
// scripts, the programs they started, waits and outcomes), newest first, all
// tasks' or one task's. It reads only the events it shows, from the end of
// the files, and follows what is appended while it is open.
#include <QDialog>
#include <memory>
#include <set>

#include "store/RunLogFile.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTimer;

namespace wendrel {

class frmHistory : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxEvents = 1000;

    explicit frmHistory(QString folder, QWidget* parent = nullptr);
    // Opens the history window of parent (one per window) or brings it
    // forward; with a task name it shows only that task's events.
    static frmHistory* showFor(QWidget* parent, const QString& folder, const QString& task = {});

    // Reads the history files again and refills the task list and the table.
    void reload();
    // The event shown in a row of the table; none for a row without one.
    const RunLogEntry* eventOfRow(int row) const;
    // Shows only this task's events; an empty name shows every task's.
    void setTaskFilter(const QString& task);
    QString taskFilter() const;

    QComboBox* cmbTask = nullptr;
    QTableWidget* grdEvents = nullptr;
    QLabel* lblCount = nullptr;
    QPushButton* cmdClose = nullptr;
    // What the program of the chosen "program started" event wrote; hidden
    // for other events.
    QPlainTextEdit* txtOutput = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void fillTable();
    // Puts the newest `count` events in new rows at the top, dropping the
    // oldest rows beyond what the reader keeps.
    void addNewestRows(std::size_t count);
    void fillRow(int row, const RunLogEntry& e);
    void showCount();
    // Adds the task names met so far to the list, keeping its choice.
    void updateTaskList();
    // Makes task the list's choice (added when it has no events), without refilling.
    void chooseTask(const QString& task);
    void readAppended();
    void setUpOutputPane();
    void showOutputOfChosenEvent();

    QString folder_;
    std::unique_ptr<RunLogReader> reader_;
    std::set<std::string> names_; // every task name met, in the list's order
    QTimer* watch_ = nullptr;
};

} // namespace wendrel
