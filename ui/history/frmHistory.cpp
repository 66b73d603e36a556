#include "ui/history/frmHistory.h"

#include <QComboBox>
#include <QFileInfo>
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
#include <set>

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

    connect(cmbTask, &QComboBox::currentIndexChanged, this, [this] { fillTable(); });

    // The file is small and changes only when a script does something: a
    // look at its size and time once a second is enough to stay current.
    watch_ = new QTimer(this);
    watch_->setInterval(1000);
    connect(watch_, &QTimer::timeout, this, &frmHistory::reloadIfChanged);

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

void frmHistory::reload() {
    const QFileInfo info(folder_ + "/" + file_names::kLogFile);
    seenSize_ = info.exists() ? info.size() : -1;
    seenModified_ = info.exists() ? info.lastModified() : QDateTime();
    all_ = RunLogFile::readAll(folder_.toStdString());

    // The task list: every name in the history, keeping the one chosen.
    const QString chosen = taskFilter();
    std::set<std::string> names;
    for (const RunLogEntry& e : all_) names.insert(e.task);
    const QSignalBlocker block(cmbTask);
    cmbTask->clear();
    cmbTask->addItem(kAllTasks);
    for (const std::string& n : names) cmbTask->addItem(QString::fromStdString(n), QString::fromStdString(n));
    chooseTask(chosen);
    fillTable();
}

void frmHistory::setTaskFilter(const QString& task) {
    chooseTask(task);
    fillTable();
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
    const QString task = taskFilter();
    const std::vector<RunLogEntry> shown =
        newestEvents(all_, kMaxEvents, task.isEmpty() ? std::nullopt : std::optional(task.toStdString()));
    grdEvents->setUpdatesEnabled(false);
    grdEvents->clearContents();
    grdEvents->setRowCount(static_cast<int>(shown.size()));
    for (int row = 0; row < static_cast<int>(shown.size()); ++row) {
        const RunLogEntry& e = shown[static_cast<std::size_t>(row)];
        const std::string* cells[4] = {&e.time, &e.task, &e.script, &e.what};
        for (int c = 0; c < 4; ++c) grdEvents->setItem(row, c, new QTableWidgetItem(QString::fromStdString(*cells[c])));
    }
    grdEvents->setUpdatesEnabled(true);
    lblCount->setText(shown.empty() ? QString("No runs recorded yet.")
                                    : QString::number(shown.size()) + (shown.size() == 1 ? " event" : " events"));
}

void frmHistory::reloadIfChanged() {
    const QFileInfo info(folder_ + "/" + file_names::kLogFile);
    const qint64 size = info.exists() ? info.size() : -1;
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    if (size != seenSize_ || modified != seenModified_) reload();
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
