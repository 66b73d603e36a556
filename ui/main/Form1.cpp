#include "ui/main/Form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>

#include "scheduler/RunState.h"
#include "store/TextFile.h"
#include "ui/Text.h"
#include "ui/Twips.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmSplash.h"
#include "ui/editor/frmDetail.h"
#include "ui/tray/Tray.h"

namespace wendrel {

namespace {
constexpr int kClientWidth = 8355;
constexpr int kClientHeight = 3570;
constexpr int kStatusTop = 3195;
constexpr int kStatusHeight = 375;
const int kColumnWidths[6] = {1600, 4000, 700, 1000, 770, 1};

ScriptEnvironment environmentOf(const Services& s) {
    return ScriptEnvironment{*s.launcher, *s.activator, *s.keys, *s.messages, *s.pump, *s.clock};
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect rect) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(rect);
    // Labels write no hint, and moves over them are not the window's free area.
    l->setAttribute(Qt::WA_NoMousePropagation);
    return l;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, QRect rect) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(rect);
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
} // namespace

Form1::Form1(General& g, std::string folder, Services services, Options options, QWidget* parent)
    : QMainWindow(parent),
      g_(g),
      folder_(std::move(folder)),
      services_(services),
      options_(options),
      engine_(g, folder_, environmentOf(services)),
      scheduler_(g, *services.clock, [this](int index) { engine_.RunScript(index); }),
      store_(folder_) {
    setObjectName("Form1");
    setWindowTitle("Wendrel V1.00");
    buildWidgets();
    buildMenus();
    tray_ = std::make_unique<TrayController>(*this);

    Timer1 = new SecondTimer(this);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &SecondTimer::timeout, this, &Form1::Timer1_Timer);
    if (options_.startTimer) Timer1->start();
}

Form1::~Form1() = default;

void Form1::buildWidgets() {
    auto* central = new QWidget(this);
    central->setObjectName("ClientArea");
    central->setMouseTracking(true);
    central->setFixedSize(TwipsX(kClientWidth), TwipsY(kStatusTop));
    setCentralWidget(central);
    setMouseTracking(true);

    Label1 = makeLabel(central, "Label1", "Task Name", TwipsRect(120, 120, 1575, 255));
    Label2 = makeLabel(central, "Label2", "Comment", TwipsRect(1750, 120, 1215, 255));
    Label3 = makeLabel(central, "Label3", "Interval", TwipsRect(5760, 120, 735, 255));
    Label4 = makeLabel(central, "Label4", "Script", TwipsRect(6480, 120, 615, 255));
    Label5 = makeLabel(central, "Label5", "Active", TwipsRect(7440, 120, 495, 255));

    Grid1 = new QTableWidget(1, 6, central);
    Grid1->setObjectName("Grid1");
    Grid1->setGeometry(TwipsRect(120, 360, 8115, 2295));
    Grid1->horizontalHeader()->hide();
    Grid1->verticalHeader()->hide();
    Grid1->horizontalHeader()->setMinimumSectionSize(1);
    Grid1->verticalHeader()->setMinimumSectionSize(1);
    Grid1->verticalHeader()->setDefaultSectionSize(TwipsY(225));
    Grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The selection is set by the program only (whole-row look), never by
    // the grid's own mouse handling.
    Grid1->setSelectionMode(QAbstractItemView::NoSelection);
    Grid1->setTabKeyNavigation(false);
    Grid1->setWordWrap(false);
    Grid1->setTextElideMode(Qt::ElideNone);
    Grid1->setMouseTracking(true);
    Grid1->viewport()->setMouseTracking(true);
    Grid1->setAttribute(Qt::WA_NoMousePropagation);
    Grid1->viewport()->setAttribute(Qt::WA_NoMousePropagation);
    Grid1->viewport()->installEventFilter(this);
    Grid1->installEventFilter(this);
    auto* cellStyle = new NarrowCellStyle;
    cellStyle->setParent(Grid1);
    Grid1->setStyle(cellStyle);
    Grid1->setStyleSheet("QTableWidget::item:selected { background: palette(highlight); color: palette(highlighted-text); }");

    cmdEditTask = makeButton(central, "cmdEditTask", "&Edit Task", TwipsRect(120, 2760, 1215, 375));
    cmdNewTask = makeButton(central, "cmdNewTask", "&New Task", TwipsRect(1440, 2760, 1215, 375));
    cmdDelete = makeButton(central, "cmdDelete", "&Delete Task", TwipsRect(2760, 2760, 1215, 375));
    cmdSendtoTray = makeButton(central, "cmdSendtoTray", "&Standby", TwipsRect(7000, 2760, 1215, 375));
    for (QPushButton* b : {cmdEditTask, cmdNewTask, cmdDelete, cmdSendtoTray}) b->installEventFilter(this);
    connect(cmdNewTask, &QPushButton::clicked, this, [this] { NewTask(); });
    connect(cmdEditTask, &QPushButton::clicked, this, [this] { EditTask(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { DeleteTask(); });
    connect(cmdSendtoTray, &QPushButton::clicked, this, [this] { SendToTray(); });

    Line1 = new QFrame(central);
    Line1->setObjectName("Line1");
    Line1->setFrameShape(QFrame::NoFrame);
    Line1->setAutoFillBackground(true);
    Line1->setStyleSheet("background: palette(window-text);");
    Line1->setGeometry(0, TwipsY(360), TwipsX(kClientWidth), 2);
    Line1->hide();

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setAttribute(Qt::WA_NoMousePropagation);
    StatusBar->setFixedHeight(TwipsY(kStatusHeight));
    Panel1 = new QLabel(StatusBar);
    Panel1->setObjectName("Panel1");
    Panel2 = new QLabel(StatusBar);
    Panel2->setObjectName("Panel2");
    // A long hint is cut at the window's edge; it never widens the window.
    Panel2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QLabel* p : {Panel1, Panel2}) {
        p->setFrameShape(QFrame::StyledPanel);
        p->setFrameShadow(QFrame::Sunken);
        p->setTextFormat(Qt::PlainText);
    }
    StatusBar->addWidget(Panel1);
    StatusBar->addWidget(Panel2, 1);
    setStatusBar(StatusBar);
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

    for (int c = 0; c < 6; ++c) Grid1->setColumnWidth(c, std::max(1, TwipsX(kColumnWidths[c])));
    selectRow(0);

    // Panel widths: a third of the window plus 60 twips, and the rest; the
    // clock panel grows if the longest date of the system's language would
    // not fit in it.
    const double w = kClientWidth;
    const QLocale locale = QLocale::system();
    QString widestDay, widestMonth;
    const QFontMetrics fm(Panel1->font());
    for (int d = 1; d <= 7; ++d)
        if (fm.horizontalAdvance(locale.dayName(d)) > fm.horizontalAdvance(widestDay)) widestDay = locale.dayName(d);
    for (int m = 1; m <= 12; ++m)
        if (fm.horizontalAdvance(locale.monthName(m)) > fm.horizontalAdvance(widestMonth)) widestMonth = locale.monthName(m);
    const int clockWidth = fm.horizontalAdvance(widestDay + " 00 " + widestMonth + " 0000 00:00:00") + 16;
    Panel1->setFixedWidth(std::max(TwipsX(w / 3 + 60), clockWidth));
    showClock(services_.clock->now());
    setPanelText(2, "Wendrel.");

    g_.fillCaptionTables();
    store_.readOptions(g_);
    MenuMinimize->setChecked(g_.MinimizeOnStartup != 0);
    MenuTray->setChecked(g_.MinimizeToTray != 0);
    MenuMissed->setChecked(g_.RunMissedTasks != 0);
    store_.readTasks(g_);
    // The tasks' last starts (see Form_Unload).
    scheduler_.useStateFile(JoinPath(folder_, RunState::FileName));

    if (g_.TaskCount > 0) {
        setGridRows(g_.TaskCount);
        FillGridRow(0);
    } else {
        setGridRows(1);
    }
    selectRow(0);

    if (g_.MinimizeOnStartup != 0) {
        if (g_.MinimizeToTray != 0) SendToTray();
        else setWindowState(windowState() | Qt::WindowMinimized);
    }
}

void Form1::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    saveProblems_ = store_.write(g_);
    // The tasks' last starts: like a state file that cannot be read, one that
    // cannot be written only loses a guard, so it is not reported.
    scheduler_.saveState();
    showSaveProblems();
}

void Form1::showSaveProblems() {
    if (saveProblems_.empty() || !services_.messages) return;
    std::string text = "Wendrel could not save everything:\n";
    for (const auto& p : saveProblems_) text += "\n" + p;
    services_.messages->show(text, "Wendrel 1.00", MsgButtons::Ok, MsgIcon::Critical);
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    tray_->removeBeforeExit();
    if (editor_) editor_->hide();
    if (about_) about_->close();
    event->accept();
    emit unloaded();
}

void Form1::FillGridRow(int index) {
    auto fillOne = [this](int n) {
        const TaskRecord& r = g_.slot(n);
        const int row = n - 1;
        const QString cells[5] = {fromRecordText(r.Name.str()), fromRecordText(r.Comment.str()),
                                  QString::fromStdString(g_.intervalName(r.Interval)),
                                  fromRecordText(r.ScriptFile.str()),
                                  QString::fromStdString(g_.yesNoName(r.Active))};
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
        for (int n = 1; n <= g_.TaskCount; ++n) fillOne(n);
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
    int r = Grid1->rowAt(0);
    return r < 0 ? 0 : r;
}

void Form1::setGridTopRow(int row) {
    if (row >= 0 && row < Grid1->rowCount()) Grid1->verticalScrollBar()->setValue(row);
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

QString Form1::panelText(int panel) const { return (panel == 1 ? Panel1 : Panel2)->text(); }

void Form1::setPanelText(int panel, const QString& text) { (panel == 1 ? Panel1 : Panel2)->setText(text); }

frmDetail* Form1::editor() {
    if (!editor_) editor_ = new frmDetail(*this);
    return editor_;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == Grid1->viewport()) {
        switch (type) {
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
    if (watched == Grid1) {
        if (type == QEvent::KeyPress) {
            auto* ke = static_cast<QKeyEvent*>(event);
            const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
            Grid1_KeyDown(enter ? 13 : ke->key());
            return enter;
        }
        if (type == QEvent::KeyRelease) {
            auto* ke = static_cast<QKeyEvent*>(event);
            const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
            // Arrow keys move the row on press; restore the look after the
            // grid has handled the key.
            Grid1_KeyUp(enter ? 13 : ke->key());
            return false;
        }
        return false;
    }
    if (type == QEvent::MouseMove || type == QEvent::HoverMove || type == QEvent::Enter) {
        if (watched == cmdNewTask) cmdNewTask_MouseMove();
        else if (watched == cmdEditTask) cmdEditTask_MouseMove();
        else if (watched == cmdDelete) cmdDelete_MouseMove();
        else if (watched == cmdSendtoTray) cmdSendtoTray_MouseMove();
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    Form_MouseMove();
    QMainWindow::mouseMoveEvent(event);
}

} // namespace wendrel
