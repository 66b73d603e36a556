#include "ui/main/MainMenus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace wendrel {

namespace {

QAction* item(QMenu* menu, const char* name, const QString& text) {
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    return a;
}

// An item with a key that works anywhere in the main window.
QAction* item(QMenu* menu, const char* name, const QString& text, const QKeySequence& key) {
    QAction* a = item(menu, name, text);
    a->setShortcut(key);
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
    FileMenu = menu(bar, "FileMenu", "&File");
    MenuNew = item(FileMenu, "MenuNew", "&New", QKeySequence(Qt::CTRL | Qt::Key_N));
    // Enter and Delete act in the grid only (where a row is current), so the
    // menu names them without making them keys of the whole window.
    MenuEdit = item(FileMenu, "MenuEdit", "&Edit\tEnter");
    MenuDelete = item(FileMenu, "MenuDelete", "&Delete\tDel");
    MenuRunNow = item(FileMenu, "MenuRunNow", "&Run Task Now", QKeySequence(Qt::CTRL | Qt::Key_R));
    MenuHistory = item(FileMenu, "MenuHistory", "Run &History");
    Spacer = separator(FileMenu, "Spacer");
    MenuExit = item(FileMenu, "MenuExit", "E&xit", QKeySequence(Qt::CTRL | Qt::Key_Q));

    OptionMenu = menu(bar, "OptionMenu", "&Options");
    MenuMinimize = item(OptionMenu, "MenuMinimize", "&Minimize on Startup");
    MenuTray = item(OptionMenu, "MenuTray", "Minimize to system &tray");
    MenuMissed = item(OptionMenu, "MenuMissed", "&Run Missed Tasks");
    OptionMenu->addSeparator();
    MenuStartAtLogin = item(OptionMenu, "MenuStartAtLogin", "Start at &Login");
    for (QAction* a : {MenuMinimize, MenuTray, MenuMissed, MenuStartAtLogin}) a->setCheckable(true);

    HelpMenu = menu(bar, "HelpMenu", "&Help");
    MenuContents = item(HelpMenu, "MenuContents", "Wendrel &Help", QKeySequence(Qt::Key_F1));
    HelpSpacer = separator(HelpMenu, "HelpSpacer");
    AboutOption = item(HelpMenu, "AboutOption", "&About");

    gridPopup = new QMenu(owner);
    gridPopup->setObjectName("gridPopup");
    gridPopup->addAction(MenuRunNow);
    taskHistory = item(gridPopup, "taskHistory", "Run &History of This Task");

    RCpopup = new QMenu("rcpopup", owner);
    RCpopup->setObjectName("RCpopup");
    rest1 = item(RCpopup, "rest1", "&Restore Wendrel");
    TraySpacer = separator(RCpopup, "TraySpacer");
    trayExit = item(RCpopup, "trayExit", "E&xit");
}

} // namespace wendrel
