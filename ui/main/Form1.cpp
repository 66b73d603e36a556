#include "ui/main/Form1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDialog>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLayout>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPalette>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>
#include <cstdio>

#include "scheduler/RunState.h"
#include "model/TextFile.h"
#include "ui/Text.h"
#include "ui/Twips.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmSplash.h"
#include "ui/editor/frmDetail.h"
#include "ui/tray/Tray.h"

namespace wendrel {

namespace {
constexpr int kClientWidth = 8355;
constexpr int kStatusTop = 3195;
constexpr int kStatusHeight = 375;
constexpr int kGridLeft = 120;
constexpr int kGridTop = 360;
constexpr int kRowHeight = 225;
const int kColumnWidths[6] = {1600, 4000, 700, 1000, 770, 1};

ScriptEnvironment environmentOf(const Services& s) {
    return ScriptEnvironment{*s.launcher, *s.activator, *s.keys, *s.messages, *s.pump, *s.clock};
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    // Labels write no hint, and moves over them are not the window's free area.
    l->setAttribute(Qt::WA_NoMousePropagation);
    return l;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setMouseTracking(true);
    b->setAttribute(Qt::WA_NoMousePropagation);
    return b;
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

Form1::Form1(General& g, std::string folder, Services services, Options options, QWidget* parent)
    : QMainWindow(parent),
      g_(g),
      folder_(std::move(folder)),
      services_(services),
      options_(options),
      engine_(g, folder_, environmentOf(services)),
      scheduler_(g, *services.clock, [this](int index) { engine_.RunScript(index); }),
      store_(folder_),
      runLog_(folder_) {
    setObjectName("Form1");
    setWindowTitle("Wendrel V1.00");
    buildWidgets();
    buildMenus();
    buildRunMenus();
    engine_.setRunLog(&runLog_);
    tray_ = std::make_unique<TrayController>(*this);

    Timer1 = new SecondTimer(this);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &SecondTimer::timeout, this, &Form1::Timer1_Timer);
    if (options_.startTimer) Timer1->start();
}

Form1::~Form1() = default;

void Form1::buildWidgets() {
    // A fixed window: it can be minimized but neither resized nor maximized.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    auto* central = new QWidget(this);
    central->setObjectName("ClientArea");
    central->setMouseTracking(true);
    setCentralWidget(central);
    setMouseTracking(true);

    TwipsLayout layout;
    Label1 = makeLabel(central, "Label1", "Task Name");
    Label2 = makeLabel(central, "Label2", "Comment");
    Label3 = makeLabel(central, "Label3", "Interval");
    Label4 = makeLabel(central, "Label4", "Script");
    Label5 = makeLabel(central, "Label5", "Active");
    layout.add(Label1, QRect(120, 120, 1575, 255));
    layout.add(Label2, QRect(1750, 120, 1215, 255));
    layout.add(Label3, QRect(5760, 120, 735, 255));
    layout.add(Label4, QRect(6480, 120, 615, 255));
    layout.add(Label5, QRect(7440, 120, 495, 255));

    Grid1 = new QTableWidget(1, 6, central);
    Grid1->setObjectName("Grid1");
    layout.add(Grid1, QRect(kGridLeft, kGridTop, 8115, 2295));
    Grid1->horizontalHeader()->hide();
    Grid1->verticalHeader()->hide();
    Grid1->horizontalHeader()->setMinimumSectionSize(1);
    Grid1->verticalHeader()->setMinimumSectionSize(1);
    Grid1->verticalHeader()->setDefaultSectionSize(TwipsY(kRowHeight));
    Grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Whole rows scroll, so the first row in view is always shown in full and
    // the drop arithmetic can count rows from the grid's top edge.
    Grid1->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // The columns always fit the grid (fitGridColumns): there is nothing to
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
    Grid1->viewport()->installEventFilter(this);
    Grid1->installEventFilter(this);
    auto* cellStyle = new NarrowCellStyle;
    cellStyle->setParent(Grid1);
    Grid1->setStyle(cellStyle);
    // The current row keeps its highlight while another window is active:
    // the selection colours of the inactive group are the active ones.
    QPalette gridColours = Grid1->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        gridColours.setColor(QPalette::Inactive, role, gridColours.color(QPalette::Active, role));
    Grid1->setPalette(gridColours);

    cmdEditTask = makeButton(central, "cmdEditTask", "&Edit Task");
    cmdNewTask = makeButton(central, "cmdNewTask", "&New Task");
    cmdDelete = makeButton(central, "cmdDelete", "&Delete Task");
    cmdSendtoTray = makeButton(central, "cmdSendtoTray", "&Standby");
    layout.add(cmdEditTask, QRect(120, 2760, 1215, 375));
    layout.add(cmdNewTask, QRect(1440, 2760, 1215, 375));
    layout.add(cmdDelete, QRect(2760, 2760, 1215, 375));
    layout.add(cmdSendtoTray, QRect(7000, 2760, 1215, 375));
    for (QPushButton* b : {cmdEditTask, cmdNewTask, cmdDelete, cmdSendtoTray}) b->installEventFilter(this);
    connect(cmdNewTask, &QPushButton::clicked, this, [this] { NewTask(); });
    connect(cmdEditTask, &QPushButton::clicked, this, [this] { EditTask(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { DeleteTask(); });
    connect(cmdSendtoTray, &QPushButton::clicked, this, [this] { SendToTray(); });

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setAttribute(Qt::WA_NoMousePropagation);
    StatusBar->setFixedHeight(TwipsY(kStatusHeight));
    Panel1 = new QLabel(StatusBar);
    Panel1->setObjectName("Panel1");
    Panel2 = new ElidingLabel(StatusBar);
    Panel2->setObjectName("Panel2");
    // A long hint ends in an ellipsis (whole in its tooltip); it never widens
    // the window.
    Panel2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QLabel* p : {static_cast<QLabel*>(Panel1), static_cast<QLabel*>(Panel2)}) {
        p->setFrameShape(QFrame::StyledPanel);
        p->setFrameShadow(QFrame::Sunken);
        p->setTextFormat(Qt::PlainText);
    }

    // The status bar is as wide as the window: the clock and the longest
    // fixed hint must fit side by side.
    const int clockWidth = captionWidth(Panel1, widestClockText());
    int hintWidth = 0;
    for (const QString& hint : hintSamples()) hintWidth = std::max(hintWidth, captionWidth(Panel2, hint));
    constexpr int kStatusBarSpacing = 12; // the status bar's own gaps around its panels
    layout.require(clockWidth + hintWidth + kStatusBarSpacing, kClientWidth);
    layout.apply();

    central->setFixedSize(layout.x(kClientWidth), layout.y(kStatusTop));
    const int thirdPlus60 = layout.x(kClientWidth / 3.0 + 60);
    Panel1->setFixedWidth(std::max(thirdPlus60, clockWidth));
    StatusBar->addWidget(Panel1);
    StatusBar->addWidget(Panel2, 1);
    setStatusBar(StatusBar);
    // The window is exactly as large as its menu bar, client area and status bar.
    QMainWindow::layout()->setSizeConstraint(QLayout::SetFixedSize);

    Line1 = new QFrame(central);
    Line1->setObjectName("Line1");
    Line1->setFrameShape(QFrame::NoFrame);
    Line1->setAutoFillBackground(true);
    QPalette linePalette = Line1->palette();
    linePalette.setColor(QPalette::Window, linePalette.color(QPalette::WindowText));
    Line1->setPalette(linePalette);
    Line1->setGeometry(0, Grid1->y(), central->width(), 2);
    Line1->hide();

    fitGridColumns();
}

// The columns share the grid's inner width in the drawn proportions; the
// comment column takes the rounding, so they fill the width exactly and the
// grid never scrolls sideways. The headings stand over their columns.
void Form1::fitGridColumns() {
    // Until the grid is shown its viewport is not laid out: predict its width.
    int room = Grid1->viewport()->width();
    if (!Grid1->isVisible()) {
        room = Grid1->contentsRect().width();
        if (Grid1->rowCount() * Grid1->verticalHeader()->defaultSectionSize() > Grid1->contentsRect().height())
            room -= Grid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Grid1->verticalScrollBar());
    }
    double total = 0;
    for (int w : kColumnWidths) total += w;
    int used = 0;
    for (int c = 0; c < 6; ++c) {
        if (c == 1) continue;
        const int w = std::max(1, static_cast<int>(std::lround(kColumnWidths[c] * room / total)));
        if (Grid1->columnWidth(c) != w) Grid1->setColumnWidth(c, w);
        used += w;
    }
    Grid1->setColumnWidth(1, std::max(1, room - used));
    Grid1->horizontalScrollBar()->setValue(0);

    const int left = Grid1->x() + Grid1->viewport()->x();
    QLabel* headings[5] = {Label1, Label2, Label3, Label4, Label5};
    for (int c = 0; c < 5; ++c) {
        QLabel* h = headings[c];
        const int x = left + Grid1->columnViewportPosition(c);
        h->setGeometry(x, h->y(), std::max(h->width(), Grid1->columnWidth(c)), h->height());
    }
}

QString Form1::widestClockText() const {
    const QLocale locale = QLocale::system();
    const QFontMetrics fm(Panel1->font());
    // Each name is measured once.
    auto widest = [&fm](int count, auto name) {
        QString best;
        int bestWidth = -1;
        for (int i = 1; i <= count; ++i) {
            const QString text = name(i);
            const int w = fm.horizontalAdvance(text);
            if (w > bestWidth) best = text, bestWidth = w;
        }
        return best;
    };
    const QString widestDay = widest(7, [&locale](int d) { return locale.dayName(d); });
    const QString widestMonth = widest(12, [&locale](int m) { return locale.monthName(m); });
    return widestDay + " 00 " + widestMonth + " 0000 00:00:00";
}

void Form1::buildMenus() {
    auto action = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(name);
        return a;
    };
    menuBar()->setAttribute(Qt::WA_NoMousePropagation);
    FileMenu = menuBar()->addMenu("File");
    FileMenu->setObjectName("FileMenu");
    MenuNew = action(FileMenu, "MenuNew", "New");
    MenuEdit = action(FileMenu, "MenuEdit", "Edit");
    MenuDelete = action(FileMenu, "MenuDelete", "Delete");
    Spacer = separator(FileMenu, "Spacer");
    MenuExit = action(FileMenu, "MenuExit", "Exit");

    OptionMenu = menuBar()->addMenu("Options");
    OptionMenu->setObjectName("OptionMenu");
    MenuMinimize = action(OptionMenu, "MenuMinimize", "Minimize on Startup");
    MenuTray = action(OptionMenu, "MenuTray", "Minimize to system tray");
    MenuMissed = action(OptionMenu, "MenuMissed", "Run Missed Tasks");
    MenuMinimize->setCheckable(true);
    MenuTray->setCheckable(true);
    MenuMissed->setCheckable(true);

    HelpMenu = menuBar()->addMenu("Help");
    HelpMenu->setObjectName("HelpMenu");
    MenuContents = action(HelpMenu, "MenuContents", "Wendrel Help");
    HelpSpacer = separator(HelpMenu, "HelpSpacer");
    AboutOption = action(HelpMenu, "AboutOption", "About");

    RCpopup = new QMenu("rcpopup", this);
    RCpopup->setObjectName("RCpopup");
    rest1 = action(RCpopup, "rest1", "Restore Wendrel");
    TraySpacer = separator(RCpopup, "TraySpacer");
    trayExit = action(RCpopup, "trayExit", "Exit");

    connect(MenuNew, &QAction::triggered, this, [this] { NewTask(); });
    connect(MenuEdit, &QAction::triggered, this, [this] { EditTask(); });
    connect(MenuDelete, &QAction::triggered, this, [this] { DeleteTask(); });
    connect(MenuExit, &QAction::triggered, this, [this] { Exit(); });
    // A checkable action flips its own mark before triggered(); the toggle
    // handlers set the mark from the flag, so both always agree.
    connect(MenuMinimize, &QAction::triggered, this, [this] { MenuMinimize_Click(); });
    connect(MenuTray, &QAction::triggered, this, [this] { MenuTray_Click(); });
    connect(MenuMissed, &QAction::triggered, this, [this] { MenuMissed_Click(); });
    connect(MenuContents, &QAction::triggered, this, [this] { MenuContents_Click(); });
    connect(AboutOption, &QAction::triggered, this, [this] { AboutOption_Click(); });
    connect(rest1, &QAction::triggered, this, [this] { rest1_Click(); });
    connect(trayExit, &QAction::triggered, this, [this] { Exit(); });
}

void Form1::Form_Load() {
    if (options_.showSplash) frmSplash::showModal(this);

    selectRow(0);
    showClock(services_.clock->now());
    setPanelText(2, "Wendrel.");

    g_.fillCaptionTables();
    store_.readOptions(g_);
    MenuMinimize->setChecked(g_.MinimizeOnStartup != 0);
    MenuTray->setChecked(g_.MinimizeToTray != 0);
    MenuMissed->setChecked(g_.RunMissedTasks != 0);
    store_.readTasks(g_);
    // The tasks' last starts (see Form_Unload).
    scheduler_.useStateFile(joinPath(folder_, RunState::FileName));

    if (g_.TaskCount > 0) {
        setGridRows(g_.TaskCount);
        FillGridRow(0);
    } else {
        setGridRows(1);
    }
    fitGridColumns();
    selectRow(0);

    if (g_.MinimizeOnStartup != 0) {
        if (g_.MinimizeToTray != 0) SendToTray();
        else setWindowState(windowState() | Qt::WindowMinimized); // shown so by setVisible
    }
}

void Form1::setVisible(bool visible) {
    // A window that is minimized before it is first shown would be mapped
    // normal by some window managers (the state travels as a hint they may
    // ignore). Asked to minimize right after the request to map it, they
    // handle both before mapping, and the window never appears normal.
    if (visible && !isVisible() && (windowState() & Qt::WindowMinimized)) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        QMainWindow::setVisible(true);
        setWindowState(windowState() | Qt::WindowMinimized);
        return;
    }
    QMainWindow::setVisible(visible);
}

void Form1::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    saveProblems_ = writeStore();
    // The tasks' last starts: like a state file that cannot be read, one that
    // cannot be written only loses a guard, so it is not reported.
    scheduler_.saveState();
    if (saveProblems_.empty()) return;
    // Leaving must not wait for anyone (a signal, a session that ends), so
    // the list goes where it can be written, and stderr says so.
    for (const auto& p : saveProblems_) std::fprintf(stderr, "Wendrel: %s\n", p.c_str());
    std::string why;
    const std::string fallback = TaskStore::writeFallback(g_, fallbackFolder_, why);
    if (!fallback.empty()) std::fprintf(stderr, "Wendrel: the task list was saved to %s instead.\n", fallback.c_str());
    else std::fprintf(stderr, "Wendrel: the task list could not be saved anywhere: %s\n", why.c_str());
}

std::vector<std::string> Form1::writeStore() {
    if (g_.NewTaskPending == 0 || g_.TaskCount < 1) return store_.write(g_);
    // A copy without it (on the heap: the table is large, and this may run
    // deep in nested scripts).
    auto withoutNew = std::make_unique<General>(g_);
    withoutNew->clearSlot(withoutNew->TaskCount);
    --withoutNew->TaskCount;
    return store_.write(*withoutNew);
}

void Form1::saveChanges() {
    if (unloaded_) return;
    saveProblems_ = writeStore();
    if (saveProblems_ == shownSaveProblems_) return;
    shownSaveProblems_ = saveProblems_;
    if (!saveProblems_.empty()) showProblems("Wendrel could not save the change:", saveProblems_);
}

void Form1::showLoadProblems() {
    if (!store_.errors().empty()) showProblems("Wendrel met problems while loading its task list:", store_.errors());
}

void Form1::showProblems(const std::string& heading, const std::vector<std::string>& problems) {
    std::string text = heading + "\n";
    for (const auto& p : problems) text += "\n" + p;
    services_.messages->show(text, "Wendrel 1.00", MsgButtons::Ok, MsgIcon::Critical);
}

// Every way out ends here: File > Exit, the tray's Exit, the close box, a
// signal, the end of the event loop.
void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    if (unloaded_) return;
    // Scripts stop at their next wait or line, and no tick starts another.
    engine_.requestStop();
    Timer1->stop();
    endModalLoops();
    Form_Unload();
    tray_->removeBeforeExit();
    if (editor_) editor_->hide();
    if (about_) about_->close();
    emit unloaded();
}

// Dialogs, message boxes and menus that are open run event loops of their
// own, nested in the stack below this call; ended, they let it unwind. Each
// ends as its Cancel or No would, so a task that New added and the editor
// never saved goes, and a question changes nothing.
void Form1::endModalLoops() {
    for (int i = 0; i < 8 && QApplication::activePopupWidget(); ++i) QApplication::activePopupWidget()->close();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (dialog && dialog->isVisible()) dialog->reject();
    }
}

void Form1::bringToFront() {
    if (unloaded_) return;
    if (tray_->inStandby()) rest1_Click();
    if (isMinimized()) showNormal();
    else show();
    raise();
    activateWindow();
}

void Form1::FillGridRow(int index) {
    auto fillOne = [this](int n) {
        const TaskRecord& r = g_.slot(n);
        const int row = n - 1;
        const QString cells[5] = {fromRecordText(r.Name.str()), fromRecordText(r.Comment.str()),
                                  QString::fromStdString(g_.intervalName(r.Interval)),
                                  fromRecordText(r.ScriptFile.str()), QString::fromStdString(g_.yesNoName(r.Active))};
        setGridRow(row);
        for (int c = 0; c < 5; ++c) {
            QTableWidgetItem* item = Grid1->item(row, c);
            if (!item) {
                item = new QTableWidgetItem;
                Grid1->setItem(row, c, item);
            }
            // Never-written text fields hold code-0 characters; show them as nothing.
            QString text = cells[c];
            text.remove(QChar(0));
            item->setText(text);
        }
        setGridCol(4);
    };
    if (index >= 1) {
        fillOne(index);
    } else {
        // Writing every row moves the current row through the whole list; the
        // list must not scroll along with it.
        Grid1->setAutoScroll(false);
        for (int n = 1; n <= g_.TaskCount; ++n) fillOne(n);
        Grid1->setAutoScroll(true);
    }
}

int Form1::gridRow() const {
    int r = Grid1->currentRow();
    return r < 0 ? 0 : r;
}

void Form1::setGridRow(int row) {
    int col = Grid1->currentColumn();
    Grid1->setCurrentCell(row, col < 0 ? 0 : col, QItemSelectionModel::NoUpdate);
}

int Form1::gridRows() const { return Grid1->rowCount(); }

void Form1::setGridRows(int rows) {
    const int row = gridRow();
    Grid1->setRowCount(rows);
    if (row >= rows) setGridRow(rows - 1);
    else if (Grid1->currentRow() < 0) setGridRow(0);
}

int Form1::gridCol() const {
    int c = Grid1->currentColumn();
    return c < 0 ? 0 : c;
}

void Form1::setGridCol(int col) { Grid1->setCurrentCell(gridRow(), col, QItemSelectionModel::NoUpdate); }

int Form1::gridTopRow() const {
    // The first row whose top edge is in view; a row cut at the top does not count.
    int r = Grid1->rowAt(0);
    if (r < 0) return 0;
    if (Grid1->rowViewportPosition(r) < 0 && r + 1 < Grid1->rowCount()) ++r;
    return r;
}

void Form1::setGridTopRow(int row) {
    if (row < 0 || row >= Grid1->rowCount()) return;
    const bool byRows = Grid1->verticalScrollMode() == QAbstractItemView::ScrollPerItem;
    Grid1->verticalScrollBar()->setValue(byRows ? row : Grid1->verticalHeader()->sectionPosition(row));
}

void Form1::keepTopRow(int top) {
    setGridTopRow(std::clamp(top, 0, std::max(0, gridRows() - 1)));
    Grid1->scrollTo(Grid1->model()->index(gridRow(), 0), QAbstractItemView::EnsureVisible);
    Grid1->horizontalScrollBar()->setValue(0);
}

void Form1::setGridSelection(int rowStart, int rowEnd, int colStart, int colEnd) {
    Grid1->clearSelection();
    QItemSelection sel(Grid1->model()->index(rowStart, colStart), Grid1->model()->index(rowEnd, colEnd));
    Grid1->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
}

void Form1::selectRow(int row) {
    if (row < 0) row = 0;
    if (row >= gridRows()) row = gridRows() - 1;
    setGridRow(row);
    setGridCol(5);
    setGridSelection(row, row, 0, 4);
}

QString Form1::panelText(int panel) const { return panel == 1 ? Panel1->text() : Panel2->fullText(); }

void Form1::setPanelText(int panel, const QString& text) {
    if (panel == 1) Panel1->setText(text);
    else Panel2->setFullText(text);
}

frmDetail* Form1::editor() {
    if (!editor_) editor_ = new frmDetail(*this);
    return editor_;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Grid1->viewport()) return gridViewportEvent(event);
    if (watched == Grid1) return gridKeyEvent(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseMove || type == QEvent::HoverMove || type == QEvent::Enter) {
        if (watched == cmdNewTask) cmdNewTask_MouseMove();
        else if (watched == cmdEditTask) cmdEditTask_MouseMove();
        else if (watched == cmdDelete) cmdDelete_MouseMove();
        else if (watched == cmdSendtoTray) cmdSendtoTray_MouseMove();
    }
    return QMainWindow::eventFilter(watched, event);
}

bool Form1::gridViewportEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            // A click makes the row under the pointer current; the grid's own
            // selection handling is bypassed so the whole-row look stays.
            auto* me = static_cast<QMouseEvent*>(event);
            const int row = Grid1->rowAt(static_cast<int>(me->position().y()));
            if (row >= 0) setGridRow(row);
            Grid1->setFocus(Qt::MouseFocusReason);
            Grid1_MouseDown();
            return true;
        }
        case QEvent::MouseButtonRelease:
            Grid1_MouseUp();
            return true;
        case QEvent::MouseButtonDblClick:
            Grid1_dblclick();
            return true;
        case QEvent::Resize: // the vertical scroll bar came or went
            fitGridColumns();
            return false;
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(event);
            const int button = me->buttons() != Qt::NoButton ? 1 : 0;
            const QPointF p = me->position();
            Grid1_MouseMove(button, PixelsToTwipsX(p.x()), PixelsToTwipsY(p.y()));
            // While a button is held the drag owns the moves: the grid must not
            // move its current row or scroll.
            return button != 0;
        }
        default:
            return false;
    }
}

bool Form1::gridKeyEvent(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    auto* ke = static_cast<QKeyEvent*>(event);
    // Both Enter keys reach the handlers as the one key code of Enter.
    const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
    const int key = enter ? kEnterKeyCode : ke->key();
    if (type == QEvent::KeyPress) {
        Grid1_KeyDown(key);
        return enter;
    }
    // Arrow keys move the row on press; restore the look after the grid has
    // handled the key.
    Grid1_KeyUp(key);
    return false;
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    Form_MouseMove();
    QMainWindow::mouseMoveEvent(event);
}

} // namespace wendrel
