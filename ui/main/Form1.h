#pragma once
// The main window: the task grid, the four buttons, the status bar with the
// clock and the hint panel, the menus, the tray menu and the schedule timer.
//
// Its implementation is spread over several files by concern:
//   Form1.cpp        layout, start-up, grid helpers, FillGridRow, unload, event routing
//   Form1Timer.cpp   the schedule tick
//   Commands.cpp     New, Edit, Delete, toggle Active, grid key and click upkeep
//   Drag.cpp         drag reordering and the grid's column hints
//   HintsMenus.cpp   hints of the buttons and the free area, options, help, About, exit
//   RunMenus.cpp     Run Task Now, the run history, Start at Login, the grid's context menu
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "model/General.h"
#include "platform/SecondTimer.h"
#include "scheduler/Scheduler.h"
#include "script/Platform.h"
#include "script/ScriptEngine.h"
#include "store/TaskStore.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTableWidget;

namespace wendrel {

class ElidingLabel;
class frmDetail;
class frmAbout;
class TrayController;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    struct Options {
        bool showSplash = true; // tests start without the splash window
        bool startTimer = true; // tests may drive the tick by hand
    };

    Form1(General& g, std::string folder, Services services, Options options, QWidget* parent = nullptr);
    Form1(General& g, std::string folder, Services services, QWidget* parent = nullptr)
        : Form1(g, std::move(folder), services, Options(), parent) {}
    ~Form1() override;

    // Start-up: splash, layout, caption tables, store, grid, start-up options.
    void Form_Load();
    // Shows a window that is to start minimized without drawing it normal first.
    void setVisible(bool visible) override;
    // Writes the store back (called once, when the window closes). Nothing is
    // asked or shown: should the save fail, the list goes to the fallback
    // folder and stderr says where.
    void Form_Unload();
    // One message listing the problems met while loading the store, if any
    // (shown once the window is up).
    void showLoadProblems();
    // Saves after a change of the table or an option. A failure is shown
    // once, and again only after a save has succeeded in between.
    void saveChanges();
    // Writes both files and returns the problems; shows nothing. A task that
    // New added is not written until the editor's Save.
    std::vector<std::string> writeStore();
    // Where the list goes at exit when the program's folder cannot take it;
    // empty (the default): nowhere.
    void setFallbackFolder(std::string folder) { fallbackFolder_ = std::move(folder); }
    // Out of the tray or the minimized state, raised and given the focus
    // (a later start of the program asks for this).
    void bringToFront();

    // Writes slot index into grid row index - 1; index below 1 writes every task.
    void FillGridRow(int index);

    // The grid as the rest of the program sees it.
    int gridRow() const;
    void setGridRow(int row);
    int gridRows() const;
    void setGridRows(int rows);
    int gridCol() const;
    void setGridCol(int col);
    int gridTopRow() const;
    void setGridTopRow(int row);
    // Selection columns start..end of rows rowStart..rowEnd.
    void setGridSelection(int rowStart, int rowEnd, int colStart, int colEnd);
    // The whole-row look: row current, columns 0-4 selected, current column 5.
    void selectRow(int row);
    // Shows row top first (as far as the list allows) and scrolls no further
    // than needed to keep the current row in view.
    void keepTopRow(int top);

    QString panelText(int panel) const; // 1 clock, 2 hints
    void setPanelText(int panel, const QString& text);
    QString hintText() const { return panelText(2); }

    // The schedule tick (Timer1).
    void Timer1_Timer();

    // Task list commands.
    void NewTask();
    void EditTask();
    void DeleteTask();
    void ToggleActive();
    void Grid1_dblclick();
    void Grid1_MouseDown();
    void Grid1_MouseUp();
    // The key code that the grid's key handlers get for either Enter key.
    static constexpr int kEnterKeyCode = 13;
    void Grid1_KeyDown(int key);
    void Grid1_KeyUp(int key);

    // Drag reordering; x and y in twips from the grid's top-left corner.
    void Grid1_MouseMove(int button, double x, double y);

    // Hints, options, help, About and exit.
    void cmdNewTask_MouseMove();
    void cmdEditTask_MouseMove();
    void cmdDelete_MouseMove();
    void cmdSendtoTray_MouseMove();
    void Form_MouseMove();
    QString taskSummary() const;
    void MenuMinimize_Click();
    void MenuTray_Click();
    void MenuMissed_Click();
    void MenuContents_Click();
    void AboutOption_Click();
    void Exit();

    // Runs the current task's script at once, as the tick runs a due task;
    // nothing when the list is empty or the task's script is running.
    void RunTaskNow();
    // Opens the run history, of every task or (from the grid) of the current one.
    void MenuHistory_Click(bool currentTaskOnly = false);
    // Creates or removes the desktop's autostart entry.
    void MenuStartAtLogin_Click();

    // Tray.
    void SendToTray();
    void rest1_Click();
    TrayController* tray() const { return tray_.get(); }

    frmDetail* editor(); // loaded when first needed
    General& general() { return g_; }
    const std::string& folder() const { return folder_; }
    Services& services() { return services_; }
    ScriptEngine& engine() { return engine_; }
    Scheduler& scheduler() { return scheduler_; }
    TaskStore& store() { return store_; }
    // Problems met when the store was last written.
    const std::vector<std::string>& saveProblems() const { return saveProblems_; }

    // Controls, named as their object names.
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QTableWidget* Grid1 = nullptr;
    QPushButton* cmdEditTask = nullptr;
    QPushButton* cmdNewTask = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdSendtoTray = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* Panel1 = nullptr;
    ElidingLabel* Panel2 = nullptr; // shows a long hint cut with an ellipsis, whole as tooltip
    SecondTimer* Timer1 = nullptr;  // fires at the start of every second of the wall clock
    QFrame* Line1 = nullptr;

    QMenu* FileMenu = nullptr;
    QAction* MenuNew = nullptr;
    QAction* MenuEdit = nullptr;
    QAction* MenuDelete = nullptr;
    QAction* Spacer = nullptr;
    QAction* MenuExit = nullptr;
    QAction* MenuRunNow = nullptr;
    QAction* MenuHistory = nullptr;
    QAction* MenuStartAtLogin = nullptr;
    QMenu* GridPopup = nullptr;
    QAction* TaskHistory = nullptr;
    QMenu* OptionMenu = nullptr;
    QAction* MenuMinimize = nullptr;
    QAction* MenuTray = nullptr;
    QAction* MenuMissed = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* MenuContents = nullptr;
    QAction* HelpSpacer = nullptr;
    QAction* AboutOption = nullptr;
    QMenu* RCpopup = nullptr;
    QAction* rest1 = nullptr;
    QAction* TraySpacer = nullptr;
    QAction* trayExit = nullptr;

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
    void buildWidgets();
    void buildMenus();
    void fitGridColumns();
    QString widestClockText() const;
    // The hints of the window's controls, for sizing the hint panel.
    static QStringList hintSamples();
    // The grid's hint for a pointer over the Active column or left of it.
    static QString gridHint(bool overActiveColumn);
    void buildRunMenus();
    void showProblems(const std::string& heading, const std::vector<std::string>& problems);
    void endModalLoops();
    void showClock(const DateTime& t);

    General& g_;
    std::string folder_;
    Services services_;
    Options options_;
    ScriptEngine engine_;
    Scheduler scheduler_;
    TaskStore store_;
    RunLogFile runLog_;
    std::vector<std::string> saveProblems_;
    std::vector<std::string> shownSaveProblems_;
    std::string fallbackFolder_;
    bool unloaded_ = false;
    QPointer<frmDetail> editor_;
    QPointer<frmAbout> about_;
    std::unique_ptr<TrayController> tray_;
};

} // namespace wendrel
