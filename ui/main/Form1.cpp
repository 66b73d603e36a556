#include "ui/main/Form1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFontMetrics>
#include <QLayout>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QVBoxLayout>
#include <QShortcut>
#include <QStatusBar>
#include <QTableWidget>
#include <cstdio>

#include "session/Session.h"
#include "ui/Text.h"
#include "ui/Twips.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmHelp.h"
#include "ui/about/frmSplash.h"
#include "ui/editor/frmDetail.h"
#include "ui/history/frmHistory.h"
#include "ui/main/GridDrag.h"
#include "ui/main/Hints.h"
#include "ui/main/MainMenus.h"
#include "ui/main/TaskCommands.h"
#include "ui/main/TaskGrid.h"
#include "ui/tray/Tray.h"

namespace wendrel {

namespace {
// The grid's columns of the next start and the last run widen the window
// (and the grid) by this much, and take the rest of their room from the
// comment column (see TaskGrid): the window stays within 1024 pixels at
// 12 points.
constexpr int kStatusColumnsWidth = 1500;
constexpr int kClientWidth = 8355 + kStatusColumnsWidth;
constexpr int kStatusTop = 3195;
constexpr int kStatusHeight = 375;
constexpr int kGridLeft = 120;
constexpr int kGridTop = 360;

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

} // namespace

Form1::Form1(Session& session, Options options, QWidget* parent)
    : QMainWindow(parent), session_(session), options_(options) {
    setObjectName("Form1");
    setWindowTitle("Wendrel V1.00");
    buildWidgets();
    menus_ = std::make_unique<MainMenus>(menuBar(), this);
    connectMenus();
    // A change that cannot be saved is shown in a message box.
    session_.setSaveFailureHandler([this](const std::string& text) { showProblem(text); });
    hints_ = std::make_unique<Hints>(session_.general(), *grid_, Panel2);
    drag_ = std::make_unique<GridDrag>(session_, *grid_, Line1);
    TaskCommands::Hooks hooks{[this] { editor()->exec(); }, [this](const QString& text) { setPanelText(2, text); },
                              [this] { return hintText(); }};
    commands_ = std::make_unique<TaskCommands>(session_, *grid_, std::move(hooks));
    // Each run shows in its task's row as it goes (and in the hint panel when
    // the user started it).
    session_.addRunListener([this](const RunEvent& event) {
        const int n = session_.runningSlot();
        grid_->refreshStatus(n);
        if (event.kind == RunEventKind::Started) commands_->runStarted(n);
    });
    tray_ = std::make_unique<TrayController>(*this, menus_->RCpopup);

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
    Label6 = makeLabel(central, "Label6", "Next Start");
    Label7 = makeLabel(central, "Label7", "Last Run");
    layout.add(Label6, QRect(6640, 120, 1215, 255));
    layout.add(Label7, QRect(7940, 120, 1215, 255));

    grid_ = std::make_unique<TaskGrid>(central);
    grid_->setHeadings({Label1, Label2, Label3, Label4, Label5, Label6, Label7});
    grid_->setStatusSource([this](int n) { return session_.status(n); });
    QTableWidget* Grid1 = grid_->table();
    layout.add(Grid1, QRect(kGridLeft, kGridTop, 8115 + kStatusColumnsWidth, 2295));
    // The grid's mouse (on its viewport) and keys come to the window's handlers.
    Grid1->viewport()->installEventFilter(this);
    Grid1->installEventFilter(this);

    cmdEditTask = makeButton(central, "cmdEditTask", "&Edit Task");
    cmdNewTask = makeButton(central, "cmdNewTask", "&New Task");
    cmdDelete = makeButton(central, "cmdDelete", "&Delete Task");
    cmdSendtoTray = makeButton(central, "cmdSendtoTray", "&Standby");
    layout.add(cmdEditTask, QRect(120, 2760, 1215, 375));
    layout.add(cmdNewTask, QRect(1440, 2760, 1215, 375));
    layout.add(cmdDelete, QRect(2760, 2760, 1215, 375));
    layout.add(cmdSendtoTray, QRect(7000 + kStatusColumnsWidth, 2760, 1215, 375));
    for (QPushButton* b : {cmdEditTask, cmdNewTask, cmdDelete, cmdSendtoTray}) b->installEventFilter(this);
    connect(cmdNewTask, &QPushButton::clicked, this, [this] { NewTask(); });
    connect(cmdEditTask, &QPushButton::clicked, this, [this] { EditTask(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { DeleteTask(); });
    connect(cmdSendtoTray, &QPushButton::clicked, this, [this] { SendToTray(); });

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setAttribute(Qt::WA_NoMousePropagation);
    StatusBar->setFixedHeight(twipsY(kStatusHeight));
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
    for (const QString& hint : Hints::samples()) hintWidth = std::max(hintWidth, captionWidth(Panel2, hint));
    constexpr int kStatusBarSpacing = 12; // the status bar's own gaps around its panels
    layout.require(clockWidth + hintWidth + kStatusBarSpacing, kClientWidth);
    layout.apply();

    central->setFixedSize(layout.x(kClientWidth), layout.y(kStatusTop));
    const int thirdPlus60 = layout.x(kClientWidth / 3.0 + 60);
    Panel1->setFixedWidth(std::max(thirdPlus60, clockWidth));
    StatusBar->addWidget(Panel1);
    StatusBar->addWidget(Panel2, 1);
    placeClientArea(central);

    Line1 = new QFrame(central);
    Line1->setObjectName("Line1");
    Line1->setFrameShape(QFrame::NoFrame);
    Line1->setAutoFillBackground(true);
    QPalette linePalette = Line1->palette();
    linePalette.setColor(QPalette::Window, linePalette.color(QPalette::WindowText));
    Line1->setPalette(linePalette);
    Line1->setGeometry(0, Grid1->y(), central->width(), 2);
    Line1->hide();

    grid_->fitColumns();
}

// The window is exactly as large as its menu bar, client area and status
// bar. One larger than the screen's free area (a large face or scale factor)
// keeps its controls' sizes: it becomes as large as the area allows, and the
// client area and the status bar scroll in it.
void Form1::placeClientArea(QWidget* central) {
    const QSize whole(central->width(), menuBar()->sizeHint().height() + central->height() + StatusBar->height());
    const QSize room = screenRoom(screen());
    if (whole.width() <= room.width() && whole.height() <= room.height()) {
        setStatusBar(StatusBar);
        QMainWindow::layout()->setSizeConstraint(QLayout::SetFixedSize);
        return;
    }
    takeCentralWidget();
    auto* page = new QWidget;
    page->setObjectName("ClientPage");
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(central);
    column->addWidget(StatusBar);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("ClientScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    setCentralWidget(scroll);
    setFixedSize(whole.boundedTo(room));
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

void Form1::connectMenus() {
    const MainMenus& m = *menus_;
    connect(m.MenuNew, &QAction::triggered, this, [this] { NewTask(); });
    connect(m.MenuEdit, &QAction::triggered, this, [this] { EditTask(); });
    connect(m.MenuDelete, &QAction::triggered, this, [this] { DeleteTask(); });
    // A script run by hand may wait for minutes: it starts once the menu has
    // closed, not inside the menu's own event handling.
    connect(
        m.MenuRunNow, &QAction::triggered, this, [this] { runTaskNow(); }, Qt::QueuedConnection);
    connect(m.MenuHistory, &QAction::triggered, this, [this] { MenuHistory_Click(); });
    connect(m.MenuExit, &QAction::triggered, this, [this] { exitProgram(); });
    connect(m.MenuMinimize, &QAction::triggered, this, [this] { MenuMinimize_Click(); });
    connect(m.MenuTray, &QAction::triggered, this, [this] { MenuTray_Click(); });
    connect(m.MenuMissed, &QAction::triggered, this, [this] { MenuMissed_Click(); });
    connect(m.MenuStartAtLogin, &QAction::triggered, this, [this] { MenuStartAtLogin_Click(); });
    connect(m.MenuContents, &QAction::triggered, this, [this] { MenuContents_Click(); });
    connect(m.AboutOption, &QAction::triggered, this, [this] { AboutOption_Click(); });
    connect(m.taskHistory, &QAction::triggered, this, [this] { MenuHistory_Click(true); });
    connect(m.rest1, &QAction::triggered, this, [this] { rest1_Click(); });
    connect(m.trayExit, &QAction::triggered, this, [this] { exitProgram(); });

    // Without a login service there is nothing to switch. The mark shows
    // whether the entry is there now, whoever made or removed it.
    LoginStart* login = session_.services().loginStart;
    m.MenuStartAtLogin->setEnabled(login != nullptr);
    auto showLoginState = [this, login] { menus_->MenuStartAtLogin->setChecked(login && login->isEnabled()); };
    connect(m.OptionMenu, &QMenu::aboutToShow, this, showLoginState);
    showLoginState();

    // F10 opens the first menu of the menu bar.
    auto* toMenuBar = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(toMenuBar, &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(menus_->FileMenu->menuAction()); });

    QTableWidget* Grid1 = grid_->table();
    Grid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid1, &QWidget::customContextMenuRequested, this, [this, Grid1](const QPoint& pos) {
        // The row under the mouse becomes current, as a left click makes it.
        const int row = Grid1->rowAt(pos.y());
        if (row >= 0) grid_->selectRow(row);
        menus_->gridPopup->popup(Grid1->viewport()->mapToGlobal(pos));
    });
}

// Where the window was last closed is kept in Window.ini in the program's
// folder, next to (and apart from) Scripts.ini.
QString Form1::positionFile() const { return QString::fromStdString(session_.folder()) + "/Window.ini"; }

void Form1::savePosition() {
    if (!windowHandle()) return; // never shown: the window has no place of its own yet
    QSettings(positionFile(), QSettings::IniFormat).setValue("position", pos());
}

// The window opens where it was closed; a place off the screens (one that
// has gone or shrunk) is moved back into the free area.
void Form1::restorePosition() {
    const QVariant saved = QSettings(positionFile(), QSettings::IniFormat).value("position");
    if (!saved.isValid()) return; // the first start: the window manager places it
    QPoint at = saved.toPoint();
    QScreen* s = QGuiApplication::screenAt(at);
    if (!s) s = QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect room = s->availableGeometry();
    const QSize size = sizeHint().boundedTo(screenRoom(s)); // laid out only once shown
    at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - size.width())));
    at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - size.height())));
    move(at);
}

void Form1::Form_Load() {
    if (options_.showSplash) frmSplash::showModal(this);

    grid_->selectRow(0);
    showClock(session_.services().clock->now());
    grid_->clockShows(session_.services().clock->now());
    setPanelText(2, "Wendrel.");

    session_.load();
    using Option = Session::Option;
    menus_->MenuMinimize->setChecked(session_.option(Option::MinimizeOnStartup));
    menus_->MenuTray->setChecked(session_.option(Option::MinimizeToTray));
    menus_->MenuMissed->setChecked(session_.option(Option::RunMissedTasks));

    const General& g = session_.general();
    grid_->setRows(std::max<int>(1, g.TaskCount));
    grid_->fill(g, 0);
    grid_->fitColumns();
    grid_->selectRow(0);
    restorePosition();

    if (session_.option(Option::MinimizeOnStartup)) {
        if (session_.option(Option::MinimizeToTray)) SendToTray();
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

void Form1::Form_Unload() { session_.unload(); }

void Form1::showLoadProblems() {
    const std::string text = session_.loadProblemText();
    if (!text.empty()) showProblem(text);
}

void Form1::showProblem(const std::string& text) {
    session_.services().messages->show(text, "Wendrel 1.00", MsgButtons::Ok, MsgIcon::Critical);
}

// Every way out ends here: File > Exit, the tray's Exit, the close box, a
// signal, the end of the event loop.
void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    if (session_.unloaded()) return;
    savePosition();
    // Scripts stop at their next wait or line, and no tick starts another.
    session_.requestStop();
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
    if (session_.unloaded()) return;
    if (tray_->inStandby()) rest1_Click();
    if (isMinimized()) showNormal();
    else show();
    raise();
    activateWindow();
}

void Form1::FillGridRow(int index) { grid_->fill(session_.general(), index); }

QString Form1::panelText(int panel) const { return panel == 1 ? Panel1->text() : Panel2->fullText(); }

void Form1::setPanelText(int panel, const QString& text) {
    if (panel == 1) Panel1->setText(text);
    else Panel2->setFullText(text);
}

frmDetail* Form1::editor() {
    if (!editor_) {
        // The editor works on the grid's current row and shows its changes there.
        frmDetail::Host host{[this] { return grid_->row() + 1; },
                             [this](int n) {
                                 FillGridRow(n);
                                 grid_->selectRow(n - 1);
                             },
                             [this] { grid_->showTaskCount(session_.general().TaskCount, session_.rowBeforeNew()); }};
        editor_ = new frmDetail(session_, std::move(host), this);
    }
    return editor_;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->table()->viewport()) return gridViewportEvent(event);
    if (watched == grid_->table()) return gridKeyEvent(event);
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
            const int row = grid_->table()->rowAt(static_cast<int>(me->position().y()));
            if (row >= 0) grid_->setRow(row);
            grid_->table()->setFocus(Qt::MouseFocusReason);
            Grid1_MouseDown();
            return true;
        }
        case QEvent::MouseButtonRelease:
            Grid1_MouseUp();
            return true;
        case QEvent::MouseButtonDblClick: {
            // Right of the last column counts as the last column.
            const int x = static_cast<int>(static_cast<QMouseEvent*>(event)->position().x());
            const int column = grid_->table()->columnAt(x);
            Grid1_dblclick(column < 0 ? grid_->table()->columnCount() - 1 : column);
            return true;
        }
        case QEvent::Resize: // the vertical scroll bar came or went
            grid_->fitColumns();
            return false;
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(event);
            const int button = me->buttons() != Qt::NoButton ? 1 : 0;
            const QPointF p = me->position();
            Grid1_MouseMove(button, pixelsToTwipsX(p.x()), pixelsToTwipsY(p.y()));
            // While a button is held the drag owns the moves: the grid must not
            // move its current row or scroll.
            return button != 0;
        }
        default:
            return false;
    }
}

// The row menu from the keyboard (the Menu key) opens at the current row.
void Form1::openRowMenuAtCurrentRow() {
    QTableWidget* Grid1 = grid_->table();
    const QRect row = Grid1->visualRect(Grid1->model()->index(grid_->row(), 0));
    menus_->gridPopup->popup(Grid1->viewport()->mapToGlobal(row.bottomLeft()));
}

bool Form1::gridKeyEvent(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        openRowMenuAtCurrentRow();
        return true;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    auto* ke = static_cast<QKeyEvent*>(event);
    if (ke->key() == Qt::Key_Menu) {
        if (type == QEvent::KeyPress) openRowMenuAtCurrentRow();
        return true;
    }
    // Both Enter keys reach the handlers as the one key code of Enter.
    const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
    const int key = enter ? kEnterKeyCode : ke->key();
    if (type == QEvent::KeyPress) {
        Grid1_KeyDown(key);
        return isCommandKey(key);
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

// The handlers pass each event on to the part that deals with it.

void Form1::NewTask() { commands_->newTask(); }
void Form1::EditTask() { commands_->editTask(); }
void Form1::DeleteTask() { commands_->deleteTask(); }
void Form1::ToggleActive() { commands_->toggleActive(); }
void Form1::runTaskNow() { commands_->runNow(); }

void Form1::Grid1_dblclick(int column) {
    switch (doubleClickAction(column)) {
        case DoubleClickAction::ToggleActive:
            ToggleActive();
            break;
        case DoubleClickAction::ShowHistory:
            if (session_.taskOfRow(grid_->row()) != 0) MenuHistory_Click(true);
            break;
        default:
            EditTask();
    }
}

void Form1::Grid1_MouseDown() { grid_->selectRow(grid_->row()); }
void Form1::Grid1_MouseUp() { grid_->selectRow(grid_->row()); }

bool Form1::isCommandKey(int key) {
    return key == kEnterKeyCode || key == Qt::Key_F2 || key == Qt::Key_Delete || key == Qt::Key_Space;
}

void Form1::Grid1_KeyDown(int key) {
    if (key == kEnterKeyCode || key == Qt::Key_F2) EditTask();
    else if (key == Qt::Key_Delete) DeleteTask();
    else if (key == Qt::Key_Space) ToggleActive();
    grid_->keyDownLook();
}

void Form1::Grid1_KeyUp(int) { grid_->keyUpLook(); }

void Form1::Grid1_MouseMove(int button, double x, double y) {
    // The hint depends on the column under the pointer only.
    const auto leftOf = [this](int column) { return pixelsToTwipsX(grid_->table()->columnViewportPosition(column)); };
    if (x >= leftOf(TaskGrid::kLastRunColumn)) hints_->showLastRunColumn();
    else if (x >= leftOf(TaskGrid::kNextStartColumn)) hints_->showNextStartColumn();
    else hints_->showGrid(x > pixelsToTwipsX(grid_->activeColumnLeft()));
    drag_->mouseMove(button != 0, y);
}

void Form1::cmdNewTask_MouseMove() { hints_->showNewTask(); }
void Form1::cmdEditTask_MouseMove() { hints_->showEditTask(); }
void Form1::cmdDelete_MouseMove() { hints_->showDelete(); }
void Form1::cmdSendtoTray_MouseMove() { hints_->showStandby(); }
void Form1::Form_MouseMove() { hints_->showSummary(); }

// The flags act at the next start (Run Missed Tasks from the next tick on).
void Form1::MenuMinimize_Click() {
    menus_->MenuMinimize->setChecked(session_.toggleOption(Session::Option::MinimizeOnStartup));
}

void Form1::MenuTray_Click() { menus_->MenuTray->setChecked(session_.toggleOption(Session::Option::MinimizeToTray)); }

void Form1::MenuMissed_Click() {
    menus_->MenuMissed->setChecked(session_.toggleOption(Session::Option::RunMissedTasks));
}

void Form1::MenuContents_Click() { frmHelp::showFor(this)->setDataFolder(QString::fromStdString(session_.folder())); }

void Form1::AboutOption_Click() {
    if (!about_) about_ = new frmAbout(this);
    about_->setDataFolder(QString::fromStdString(session_.folder()));
    about_->show();
    about_->raise();
    about_->activateWindow();
}

// Closing runs the unload (which writes the store) and ends the program.
void Form1::exitProgram() { close(); }

void Form1::MenuHistory_Click(bool currentTaskOnly) {
    // The current task's name as the history records it (none on an empty list).
    QString task("");
    if (currentTaskOnly) {
        const int n = session_.taskOfRow(grid_->row());
        task = n != 0 ? QString::fromStdString(session_.general().slot(n).Name.shown()) : QString();
    }
    frmHistory::showFor(this, QString::fromStdString(session_.folder()), task);
}

void Form1::MenuStartAtLogin_Click() {
    LoginStart* login = session_.services().loginStart;
    if (!login) return;
    std::string failure;
    if (!login->setEnabled(!login->isEnabled(), failure))
        setPanelText(2, QString::fromStdString("Start at Login could not be changed: " + failure));
    menus_->MenuStartAtLogin->setChecked(login->isEnabled());
}

// Standby and back.
void Form1::SendToTray() { tray_->enterStandby(); }
void Form1::rest1_Click() { tray_->leaveStandby(); }

} // namespace wendrel
