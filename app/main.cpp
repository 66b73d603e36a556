// Wendrel: a desktop task scheduler. Wires the desktop services, the shared
// state and the main window together. The program's folder (where the task
// list, the options and the scripts live) is the folder of the executable.
#include <QApplication>
#include <QDir>
#include <QFont>

#include "model/General.h"
#include "platform/Desktop.h"
#include "platform/Signals.h"
#include "platform/SingleInstance.h"
#include "ui/about/Artwork.h"
#include "ui/main/Form1.h"
#include "ui/tray/Tray.h"

int main(int argc, char** argv) {
    // With shared-memory images the X server answers every repaint with a
    // completion event, and the clock panel's repaint once a second would
    // wake the program twice more. The window is small: its images go over
    // the connection instead.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
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

    const std::string folder = QCoreApplication::applicationDirPath().toStdString();

    // One instance per folder: a second start shows the running one and ends
    // before anything of the folder is read or written.
    wendrel::SingleInstance instance(folder);
    if (!instance.acquire()) {
        if (instance.notifyRunning()) return 0;
        qWarning("Wendrel is already running for this folder but does not answer.");
        return 1;
    }

    wendrel::General general;
    wendrel::Desktop desktop;
    wendrel::Form1 form(general, folder, desktop.services());
    desktop.setMainWindow(&form);
    wendrel::ExitGuard exitGuard(app, form);
    QObject::connect(&form, &wendrel::Form1::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    form.Form_Load();
    if (form.windowState() & Qt::WindowMinimized) form.showMinimized();
    else if (!form.tray()->inStandby()) form.show();
    instance.setShowHandler([&form] { wendrel::bringToFront(form); });
    exitGuard.setReady();
    return app.exec();
}
