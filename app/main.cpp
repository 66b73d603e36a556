// Wendrel: a desktop task scheduler. Wires the desktop services, the shared
// state and the main window together. The program's folder (where the task
// list, the options and the scripts live) is the folder of the executable.
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QTimer>

#include <cstdlib>

#include "model/General.h"
#include "platform/Desktop.h"
#include "platform/Signals.h"
#include "platform/SingleInstance.h"
#include "ui/about/Artwork.h"
#include "ui/main/Form1.h"
#include "ui/tray/Tray.h"

namespace {
constexpr int kSettleMs = 300;

// Where the task list goes at exit when the program's folder cannot take it:
// $XDG_DATA_HOME/wendrel, by default ~/.local/share/wendrel.
std::string userDataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/wendrel";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/share/wendrel";
    return {};
}
} // namespace

int main(int argc, char** argv) {
    // Before anything that takes time: a signal of the start-up is kept and
    // acted on, never the end of a half-started program.
    wendrel::catchExitSignals();

    QApplication app(argc, argv);
    QApplication::setApplicationName("Wendrel");
    QApplication::setWindowIcon(wendrel::programIcon());
    // The editor may still be loaded (hidden) when the main window closes;
    // the program ends with the main window, not with the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    // The window layouts are fixed sizes made for a small 8-point face.
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    QApplication::setFont(font);
    wendrel::ExitGuard exitGuard(app);

    const std::string folder = QCoreApplication::applicationDirPath().toStdString();

    // One instance per folder: a second start shows the running one and ends
    // before anything of the folder is read or written.
    wendrel::SingleInstance instance(folder);
    if (!instance.acquire()) {
        if (instance.notifyRunning()) return 0;
        qWarning("Wendrel is already running for this folder but does not answer.");
        return 1;
    }
    if (!instance.whyNot().isEmpty()) qWarning("%s", qPrintable(instance.whyNot()));

    wendrel::General general;
    wendrel::Desktop desktop;
    wendrel::Form1 form(general, folder, desktop.services());
    form.setFallbackFolder(userDataFolder());
    desktop.setMainWindow(&form);
    // Closed, the window has saved the list: the folder is free for a new
    // start at once, and the process ends even if a step of a script holds it.
    QObject::connect(&form, &wendrel::Form1::unloaded, &app, [&instance, &exitGuard] {
        instance.release();
        exitGuard.armDeadline();
    });
    QObject::connect(&form, &wendrel::Form1::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    form.Form_Load();
    if (form.windowState() & Qt::WindowMinimized) form.showMinimized();
    else if (!form.tray()->inStandby()) form.show();
    instance.setShowHandler([&form] { form.bringToFront(); });
    exitGuard.setReady({[&form] { form.Exit(); }, [&form] { form.writeStore(); }});
    // Once the window manager has placed the window, so that the message
    // comes up over it.
    QTimer::singleShot(kSettleMs, &form, &wendrel::Form1::showLoadProblems);
    return app.exec();
}
