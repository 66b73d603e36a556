#include "ui/history/frmHistory.h"

#include <QComboBox>
#include <QDateTime>
#include <algorithm>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/OutputCaptures.h"
#include "store/FileNames.h"
#include "ui/Twips.h"
#include "ui/about/Artwork.h"

namespace wendrel {

namespace {
const char* const kAllTasks = "All tasks";
}

frmHistory::frmHistory(QString folder, QWidget* parent) : QDialog(parent), folder_(std::move(folder)) {
    setObjectName("frmHistory");
    setWindowTitle("Wendrel Run History");
    setWindowIcon(programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setModal(false);
    resize(withinScreen(QSize(twipsX(10500), twipsY(6000))));

    auto* lblTask = new QLabel("&Task:", this);
    cmbTask = new QComboBox(this);
    cmbTask->setObjectName("cmbTask");
    cmbTask->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblTask->setBuddy(cmbTask);
    lblCount = new QLabel(this);
    lblCount->setObjectName("lblCount");

    grdEvents = new QTableWidget(0, 4, this);
    grdEvents->setObjectName("grdEvents");
    grdEvents->setHorizontalHeaderLabels({"Time", "Task", "Script", "Event"});
    grdEvents->verticalHeader()->hide();
    grdEvents->verticalHeader()->setDefaultSectionSize(grdEvents->fontMetrics().height() + 4);
    grdEvents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdEvents->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdEvents->setWordWrap(false);
    grdEvents->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics fm = grdEvents->fontMetrics();
    grdEvents->setColumnWidth(0, fm.horizontalAdvance("0000-00-00 00:00:00") + 16);
    grdEvents->setColumnWidth(1, fm.horizontalAdvance(QString(16, 'n')));
    grdEvents->setColumnWidth(2, fm.horizontalAdvance(QString(14, 'n')));

    cmdClose = new QPushButton("Close", this);
    cmdClose->setObjectName("cmdClose");
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    auto* top = new QHBoxLayout;
    top->addWidget(lblTask);
    top->addWidget(cmbTask);
    top->addStretch(1);
    top->addWidget(lblCount);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grdEvents, 1);
    layout->addWidget(cmdClose, 0, Qt::AlignRight);

    connect(cmbTask, &QComboBox::currentIndexChanged, this, [this] { reload(); });

    // The file changes only when a script does something: a look at its size
    // once a second, reading only what was appended, keeps the view current.
    watch_ = new QTimer(this);
    watch_->setInterval(1000);
    connect(watch_, &QTimer::timeout, this, &frmHistory::readAppended);

    setUpOutputPane();
    reload();
}

// Below the table, shown while a program's start is the chosen event.
void frmHistory::setUpOutputPane() {
    txtOutput = new QPlainTextEdit(this);
    txtOutput->setObjectName("txtOutput");
    txtOutput->setReadOnly(true);
    txtOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtOutput->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtOutput->hide();
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->insertWidget(box->indexOf(grdEvents) + 1, txtOutput, 1);
    connect(grdEvents, &QTableWidget::itemSelectionChanged, this, &frmHistory::showOutputOfChosenEvent);
}

// The event names the program by its pid, and its time is the start's: the
// capture of that run is found by both.
void frmHistory::showOutputOfChosenEvent() {
    static const QRegularExpression kStarted(R"(^program started: .* \(pid (\d+)\)$)");
    const int row = grdEvents->currentRow();
    const QTableWidgetItem* time = row >= 0 ? grdEvents->item(row, 0) : nullptr;
    const QTableWidgetItem* what = row >= 0 ? grdEvents->item(row, 3) : nullptr;
    const QRegularExpressionMatch started = what ? kStarted.match(what->text()) : QRegularExpressionMatch();
    const QDateTime at = time ? QDateTime::fromString(time->text(), "yyyy-MM-dd HH:mm:ss") : QDateTime();
    std::optional<std::string> output;
    if (started.hasMatch() && at.isValid())
        output = OutputCaptures::read(folder_.toStdString() + "/" + file_names::kCapturesFolder,
                                      started.captured(1).toInt(), at.toSecsSinceEpoch());
    if (!output) txtOutput->setPlainText("(its output is no longer kept)");
    else txtOutput->setPlainText(output->empty() ? QString("(no output)") : QString::fromUtf8(*output));
    txtOutput->setVisible(started.hasMatch());
}

frmHistory* frmHistory::showFor(QWidget* parent, const QString& folder, const QString& task) {
    auto* window = parent ? parent->findChild<frmHistory*>("frmHistory", Qt::FindDirectChildrenOnly) : nullptr;
    if (!window) window = new frmHistory(folder, parent);
    else window->reload();
    if (!task.isNull()) window->setTaskFilter(task);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

// With a task chosen, its newest events are read, however far back they lie.
void frmHistory::reload() {
    const QString task = taskFilter();
    reader_ = std::make_unique<RunLogReader>(folder_.toStdString(), kMaxEvents,
                                             task.isEmpty() ? std::nullopt : std::optional(task.toStdString()));
    reader_->reload();
    updateTaskList();
    fillTable();
}

void frmHistory::updateTaskList() {
    const std::size_t known = names_.size();
    names_.insert(reader_->taskNames().begin(), reader_->taskNames().end());
    if (names_.size() == known && cmbTask->count() > 0) return;
    const QString chosen = taskFilter();
    const QSignalBlocker block(cmbTask);
    cmbTask->clear();
    cmbTask->addItem(kAllTasks);
    for (const std::string& n : names_) cmbTask->addItem(QString::fromStdString(n), QString::fromStdString(n));
    chooseTask(chosen);
}

void frmHistory::setTaskFilter(const QString& task) {
    chooseTask(task);
    reload();
}

void frmHistory::chooseTask(const QString& task) {
    int index = task.isEmpty() ? 0 : cmbTask->findData(task);
    if (index < 0) {
        // A task without events yet still gets its (empty) view.
        cmbTask->addItem(task, task);
        index = cmbTask->count() - 1;
    }
    const QSignalBlocker block(cmbTask);
    cmbTask->setCurrentIndex(index);
}

QString frmHistory::taskFilter() const { return cmbTask->currentData().toString(); }

void frmHistory::fillTable() {
    const std::deque<RunLogEntry>& events = reader_->events();
    grdEvents->setUpdatesEnabled(false);
    grdEvents->clearContents();
    grdEvents->setRowCount(static_cast<int>(events.size()));
    for (int row = 0; row < static_cast<int>(events.size()); ++row) fillRow(row, *eventOfRow(row));
    grdEvents->setUpdatesEnabled(true);
    showCount();
}

void frmHistory::addNewestRows(std::size_t count) {
    const int rows = static_cast<int>(reader_->events().size());
    const int added = std::min(static_cast<int>(count), rows);
    grdEvents->setUpdatesEnabled(false);
    for (int row = 0; row < added; ++row) grdEvents->insertRow(0);
    grdEvents->setRowCount(rows);
    for (int row = 0; row < added; ++row) fillRow(row, *eventOfRow(row));
    grdEvents->setUpdatesEnabled(true);
    showCount();
}

const RunLogEntry* frmHistory::eventOfRow(int row) const {
    const std::deque<RunLogEntry>& events = reader_->events();
    if (row < 0 || row >= static_cast<int>(events.size())) return nullptr;
    return &events[events.size() - 1 - static_cast<std::size_t>(row)];
}

void frmHistory::fillRow(int row, const RunLogEntry& e) {
    const std::string* cells[4] = {&e.time, &e.task, &e.script, &e.what};
    for (int c = 0; c < 4; ++c) grdEvents->setItem(row, c, new QTableWidgetItem(QString::fromStdString(*cells[c])));
}

void frmHistory::showCount() {
    const int shown = grdEvents->rowCount();
    lblCount->setText(shown == 0 ? QString("No runs recorded yet.")
                                 : QString::number(shown) + (shown == 1 ? " event" : " events"));
}

void frmHistory::readAppended() {
    const RunLogReader::Change change = reader_->refresh();
    if (!change.any()) return;
    updateTaskList();
    if (change.reloaded) fillTable();
    else addNewestRows(change.added);
}

void frmHistory::showEvent(QShowEvent* event) {
    watch_->start();
    QDialog::showEvent(event);
}

void frmHistory::hideEvent(QHideEvent* event) {
    watch_->stop();
    QDialog::hideEvent(event);
}

} // namespace wendrel
