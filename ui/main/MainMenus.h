#pragma once
// The main window's menus: File, Options and Help in the menu bar, the
// grid's context menu and the tray icon's menu. Every item carries its
// name as object name; the window connects them to its handlers.
class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace wendrel {

struct MainMenus {
    // Builds every menu; the menu bar's into bar, the two pop-ups owned by owner.
    MainMenus(QMenuBar* bar, QWidget* owner);

    QMenu* FileMenu = nullptr;
    QAction* MenuNew = nullptr;
    QAction* MenuEdit = nullptr;
    QAction* MenuDelete = nullptr;
    QAction* MenuRunNow = nullptr;
    QAction* MenuHistory = nullptr;
    QAction* Spacer = nullptr;
    QAction* MenuExit = nullptr;

    QMenu* OptionMenu = nullptr;
    QAction* MenuMinimize = nullptr;
    QAction* MenuTray = nullptr;
    QAction* MenuMissed = nullptr;
    QAction* MenuStartAtLogin = nullptr;

    QMenu* HelpMenu = nullptr;
    QAction* MenuContents = nullptr;
    QAction* HelpSpacer = nullptr;
    QAction* AboutOption = nullptr;

    // The grid's context menu: Run Task Now and the current task's history.
    QMenu* gridPopup = nullptr;
    QAction* taskHistory = nullptr;

    // The tray icon's menu.
    QMenu* RCpopup = nullptr;
    QAction* rest1 = nullptr;
    QAction* TraySpacer = nullptr;
    QAction* trayExit = nullptr;
};

} // namespace wendrel
