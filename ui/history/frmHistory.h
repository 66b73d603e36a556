#pragma once
// The Run History window: the newest events of Wendrel.log (starts of task
// scripts, the programs they started, waits and outcomes), newest first, all
// tasks' or one task's. It follows the file while it is open.
#include <QDateTime>
#include <QDialog>
#include <vector>

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
    // Makes task the list's choice (added when it has no events), without refilling.
    void chooseTask(const QString& task);
    void reloadIfChanged();
    void setUpOutputPane();
    void showOutputOfChosenEvent();

    QString folder_;
    std::vector<RunLogEntry> all_;
    QTimer* watch_ = nullptr;
    qint64 seenSize_ = -1;
    QDateTime seenModified_;
};

} // namespace wendrel
