#pragma once
// The main window: the task grid, the four buttons, the status bar with the
// clock and the hint panel, the menus, the tray menu and the schedule timer.
//
// The window shows a Session (the task list, its store and the schedule) and
// passes the user's commands on to it; it owns its widget parts and wires
// them; its handlers pass each event on to the part that deals with it:
//   Form1.cpp         layout, start-up, saving, unload, event routing, the menu handlers
//   Form1Timer.cpp    the schedule tick and the clock panel
//   TaskGrid.*        the grid: rows, current row and selection look, cell texts, column fitting
//   GridDrag.*        drag reordering of the grid's rows
//   TaskCommands.*    New, Edit, Delete, toggle Active, Run Task Now
//   Hints.*           the hint panel's texts
//   MainMenus.*       the menu bar, the grid's context menu and the tray menu
#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <string>

#include "model/DateTime.h"
#include "platform/SecondTimer.h"

class QFrame;
class QLabel;
class QPushButton;
class QStatusBar;

namespace wendrel {

class ElidingLabel;
class Session;
class frmDetail;
class frmAbout;
class GridDrag;
class Hints;
struct MainMenus;
class TaskCommands;
class TaskGrid;
class TrayController;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    struct Options {
        bool showSplash = true; // tests start without the splash window
        bool startTimer = true; // tests may drive the tick by hand
    };

    Form1(Session& session, Options options, QWidget* parent = nullptr);
    explicit Form1(Session& session, QWidget* parent = nullptr) : Form1(session, Options(), parent) {}
    ~Form1() override;

    // Start-up: splash, layout, the session's load, grid, start-up options.
    void Form_Load();
    // Shows a window that is to start minimized without drawing it normal first.
    void setVisible(bool visible) override;
    // The session's unload (called once, when the window closes). Nothing is
    // asked or shown.
    void Form_Unload();
    // One message listing the problems met while loading the store, if any
    // (shown once the window is up).
    void showLoadProblems();
    // Out of the tray or the minimized state, raised and given the focus
    // (a later start of the program asks for this).
    void bringToFront();

    // Writes slot index into grid row index - 1; index below 1 writes every task.
    void FillGridRow(int index);
    TaskGrid& grid() { return *grid_; }
    const MainMenus& menus() const { return *menus_; }

    QString panelText(int panel) const; // 1 clock, 2 hints
    void setPanelText(int panel, const QString& text);
    QString hintText() const { return panelText(2); }

    // The schedule tick (Timer1).
    void Timer1_Timer();

    // Task list commands and the grid's mouse and keys.
    void NewTask();
    void EditTask();
    void DeleteTask();
    void ToggleActive();
    void runTaskNow();
    // A double click in the grid, on the column under the pointer.
    void Grid1_dblclick(int column);
    void Grid1_MouseDown();
    void Grid1_MouseUp();
    // The key code that the grid's key handlers get for either Enter key.
    static constexpr int kEnterKeyCode = 13;
    // Enter and F2 edit the current task, Delete deletes it (after asking),
    // Space switches it on or off; other keys move the row as the grid does.
    void Grid1_KeyDown(int key);
    // The keys the grid leaves to Grid1_KeyDown alone.
    static bool isCommandKey(int key);
    void Grid1_KeyUp(int key);
    // The column hint and drag reordering; x and y in twips from the grid's
    // top-left corner.
    void Grid1_MouseMove(int button, double x, double y);

    // Hints, options, help, About and exit.
    void cmdNewTask_MouseMove();
    void cmdEditTask_MouseMove();
    void cmdDelete_MouseMove();
    void cmdSendtoTray_MouseMove();
    void Form_MouseMove();
    void MenuMinimize_Click();
    void MenuTray_Click();
    void MenuMissed_Click();
    void MenuContents_Click();
    void AboutOption_Click();
    void exitProgram();
    // Opens the run history, of every task or (from the grid) of the current one.
    void MenuHistory_Click(bool currentTaskOnly = false);
    // Creates or removes the desktop's autostart entry.
    void MenuStartAtLogin_Click();

    // Tray.
    void SendToTray();
    void rest1_Click();
    TrayController* tray() const { return tray_.get(); }

    frmDetail* editor(); // loaded when first needed
    Session& session() { return session_; }

signals:
    // The window has closed and the store is written: the program can end.
    void unloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // The grid's mouse events (from its viewport) and its keys.
    bool gridViewportEvent(QEvent* event);
    bool gridKeyEvent(QEvent* event);
    void openRowMenuAtCurrentRow();
    void buildWidgets();
    void placeClientArea(QWidget* central);
    QString positionFile() const;
    void savePosition();
    void restorePosition();
    void connectMenus();
    QString widestClockText() const;
    void showProblem(const std::string& text);
    void endModalLoops();
    void showClock(const DateTime& t);

    Session& session_;
    Options options_;

    // Controls, named as their object names.
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr; // over the next start
    QLabel* Label7 = nullptr; // over the last run
    QPushButton* cmdEditTask = nullptr;
    QPushButton* cmdNewTask = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdSendtoTray = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* Panel1 = nullptr;
    ElidingLabel* Panel2 = nullptr; // shows a long hint cut with an ellipsis, whole as tooltip
    SecondTimer* Timer1 = nullptr;  // fires at the start of every second of the wall clock
    QFrame* Line1 = nullptr;        // the drag's drop indicator

    std::unique_ptr<TaskGrid> grid_;
    std::unique_ptr<MainMenus> menus_;
    std::unique_ptr<Hints> hints_;
    std::unique_ptr<GridDrag> drag_;
    std::unique_ptr<TaskCommands> commands_;
    QPointer<frmDetail> editor_;
    QPointer<frmAbout> about_;
    std::unique_ptr<TrayController> tray_;
};

} // namespace wendrel
