#include "ui/main/MainMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace wendrel {

namespace {

QAction* item(QMenu* menu, const char* name, const QString& text) {
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    return a;
}

QAction* separator(QMenu* menu, const char* name) {
    QAction* a = menu->addSeparator();
    a->setObjectName(name);
    return a;
}

QMenu* menu(QMenuBar* bar, const char* name, const QString& title) {
    QMenu* m = bar->addMenu(title);
    m->setObjectName(name);
    return m;
}

} // namespace

MainMenus::MainMenus(QMenuBar* bar, QWidget* owner) {
    bar->setAttribute(Qt::WA_NoMousePropagation);
    FileMenu = menu(bar, "FileMenu", "File");
    MenuNew = item(FileMenu, "MenuNew", "New");
    MenuEdit = item(FileMenu, "MenuEdit", "Edit");
    MenuDelete = item(FileMenu, "MenuDelete", "Delete");
    MenuRunNow = item(FileMenu, "MenuRunNow", "Run Task Now");
    MenuHistory = item(FileMenu, "MenuHistory", "Run History");
    Spacer = separator(FileMenu, "Spacer");
    MenuExit = item(FileMenu, "MenuExit", "Exit");

    OptionMenu = menu(bar, "OptionMenu", "Options");
    MenuMinimize = item(OptionMenu, "MenuMinimize", "Minimize on Startup");
    MenuTray = item(OptionMenu, "MenuTray", "Minimize to system tray");
    MenuMissed = item(OptionMenu, "MenuMissed", "Run Missed Tasks");
    OptionMenu->addSeparator();
    MenuStartAtLogin = item(OptionMenu, "MenuStartAtLogin", "Start at Login");
    for (QAction* a : {MenuMinimize, MenuTray, MenuMissed, MenuStartAtLogin}) a->setCheckable(true);

    HelpMenu = menu(bar, "HelpMenu", "Help");
    MenuContents = item(HelpMenu, "MenuContents", "Wendrel Help");
    HelpSpacer = separator(HelpMenu, "HelpSpacer");
    AboutOption = item(HelpMenu, "AboutOption", "About");

    gridPopup = new QMenu(owner);
    gridPopup->setObjectName("gridPopup");
    gridPopup->addAction(MenuRunNow);
    taskHistory = item(gridPopup, "taskHistory", "Run History of This Task");

    RCpopup = new QMenu("rcpopup", owner);
    RCpopup->setObjectName("RCpopup");
    rest1 = item(RCpopup, "rest1", "Restore Wendrel");
    TraySpacer = separator(RCpopup, "TraySpacer");
    trayExit = item(RCpopup, "trayExit", "Exit");
}

} // namespace wendrel
