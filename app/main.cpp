// Wendrel: a desktop task scheduler. Composes the session (the task list, its
// store and the schedule) with the desktop services and hands it to the main
// window. The program's folder (where the task
// list, the options, the scripts and the run history live) is chosen here
// once: the executable's folder for a portable copy, the per-user data folder
// for an installed program (see platform/DataFolder.h).
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include <clocale>
#include <cstdlib>
#include <memory>
#include <fontconfig/fontconfig.h>
#include <string>
#include <thread>

#include "platform/CommandLineClient.h"
#include "platform/DBusControl.h"
#include "platform/DataFolder.h"
#include "platform/DesktopNotifications.h"
#include "platform/OutputCaptures.h"
#include "platform/ProgramEnvironment.h"
#include "platform/Desktop.h"
#include "platform/Signals.h"
#include "platform/SingleInstance.h"
#include "platform/X11Windows.h"
#include "platform/wayland/WaylandSession.h"
#include "session/FailureNotices.h"
#include "session/ProgramArguments.h"
#include "session/RemoteControl.h"
#include "session/Session.h"
#include "store/FileNames.h"
#include "ui/about/Artwork.h"
#include "ui/about/frmSplash.h"
#include "ui/history/frmHistory.h"
#include "ui/main/Form1.h"
#include "ui/tray/Tray.h"

namespace {
// How long the window manager gets to place the main window before a message
// about the start-up comes up over it.
constexpr int kSettleMs = 300;
} // namespace

int main(int argc, char** argv) {
    // `wendrel --list` and the other actions do their one thing and end,
    // without a window.
    const wendrel::ProgramArguments arguments = wendrel::parseProgramArguments({argv + 1, argv + argc});
    if (arguments.action != wendrel::ProgramArguments::Action::Start || !arguments.problem.empty())
        return wendrel::runCommandLine(argc, argv, arguments);

    // Before anything that takes time: a signal of the start-up is kept and
    // acted on, never the end of a half-started program.
    wendrel::catchExitSignals();
    wendrel::wayland::prepareKdeSession();
    // With shared-memory images the X server answers every repaint with a
    // completion event, and the clock panel's repaint once a second would
    // wake the program twice more. The window is small: its images go over
    // the connection instead. The programs that scripts start get the
    // variable as it was.
    wendrel::ProgramEnvironment programEnvironment;
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) programEnvironment.setOwn("QT_XCB_NO_MITSHM", "1");

    // Loading the desktop's font configuration is the longest single step of
    // the start-up, and Qt first needs it when the main window measures its
    // texts: it is loaded on another core while Qt connects to the display.
    // Meanwhile Qt removes the launcher's startup id from the environment,
    // which the font loading reads: as the last entry, its removal moves no
    // other entry under the reader.
    if (const char* id = std::getenv("DESKTOP_STARTUP_ID")) {
        const std::string startupId = id;
        ::unsetenv("DESKTOP_STARTUP_ID");
        ::setenv("DESKTOP_STARTUP_ID", startupId.c_str(), 1);
    }
    // Qt sets the process's locale meanwhile, and setlocale is not safe
    // beside another thread's use of the global locale: this thread reads
    // the configuration with a locale of its own.
    std::jthread fontConfiguration([] {
        const locale_t own = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        if (own) ::uselocale(own);
        FcInit();
        ::uselocale(LC_GLOBAL_LOCALE);
        if (own) ::freelocale(own);
    });

    QApplication app(argc, argv);
    QApplication::setApplicationName("Wendrel");
    // Read now, while the fonts load; set once the splash has gone, which
    // needs no icon (every window gets the application's when it is made).
    const QIcon icon = wendrel::programIcon();
    // The editor may still be loaded (hidden) when the main window closes;
    // the program ends with the main window, not with the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    // The desktop's own face is used; the window layouts scale with it.
    wendrel::ExitGuard exitGuard(app);

    std::string failure;
    const std::string exeFolder = QCoreApplication::applicationDirPath().toStdString();
    const std::string folder = wendrel::resolveDataFolder(exeFolder, failure);
    if (folder.empty()) {
        qCritical("Wendrel has no folder for its task list: %s", failure.c_str());
        QApplication::setWindowIcon(icon);
        QMessageBox::critical(nullptr, "Wendrel 1.00",
                              QString::fromStdString("Wendrel has no folder to keep its task list in:\n" + failure));
        return 1;
    }

    // One instance per folder: a second start shows the running one and ends
    // before anything of the folder is read or written.
    wendrel::SingleInstance instance(folder);
    if (!instance.acquire()) {
        if (instance.notifyRunning()) return 0;
        const QString why = instance.whyNot();
        // The running one may have ended while it was asked: this start is
        // then the first. If not, the user is told why nothing came up (from
        // a menu, stderr goes nowhere).
        if (!instance.acquire()) {
            qWarning("%s", qPrintable(why));
            QApplication::setWindowIcon(icon);
            QMessageBox::warning(nullptr, "Wendrel 1.00", why);
            return 1;
        }
    }
    if (!instance.whyNot().isEmpty()) qWarning("%s", qPrintable(instance.whyNot()));

    fontConfiguration.join(); // before Qt reads it itself, which would load it a second time
    wendrel::frmSplash::drawPictureAhead();
    // What the scripts' programs write is kept per run, for the history.
    wendrel::OutputCaptures captures(folder + "/" + wendrel::file_names::kCapturesFolder);
    wendrel::Desktop desktop(&programEnvironment);
    desktop.setOutputCaptures(&captures);
    // The fallback folder: where the list goes at exit when the program's
    // folder cannot take it. The session holds the whole task table: it lives
    // on the heap, so the stack keeps its room for the scripts' nested runs.
    const auto sessionOwner =
        std::make_unique<wendrel::Session>(folder, desktop.services(),
                                           wendrel::perUserDataFolder(std::getenv("XDG_DATA_HOME"),
                                                                      std::getenv("HOME")));
    wendrel::Session& session = *sessionOwner;
    wendrel::Form1 form(session);
    desktop.setMainWindow(&form);
    // Our own X connections (window lookup, typing) break when the X server
    // or the session ends: keep the list and end without a crash.
    wendrel::setX11ConnectionLostHandler([&session] {
        session.writeStore();
        std::_Exit(0);
    });
    desktop.setNoticeHandler([&form](const std::string& text) {
        qInfo("%s", text.c_str());
        form.setPanelText(2, QString::fromStdString(text));
    });
    // A failed run is told on the desktop; its notice opens the task's history.
    wendrel::DesktopNotifications desktopNotices;
    wendrel::FailureNotices failureNotices(desktopNotices);
    session.addRunListener([&failureNotices](const wendrel::RunEvent& e) { failureNotices.onRunEvent(e); });
    desktopNotices.setActionHandler([&form, &session](const std::string& task) {
        wendrel::frmHistory::showFor(&form, QString::fromStdString(session.folder()), QString::fromStdString(task));
    });
    // A file of the folder refused (it has said so on stderr).
    session.setNoticeHandler([&form](const std::string& text) { form.setPanelText(2, QString::fromStdString(text)); });
    // Closed, the window has saved the list: the folder is free for a new
    // start at once, and the process ends even if a step of a script holds it.
    QObject::connect(&form, &wendrel::Form1::unloaded, &app, [&instance, &exitGuard] {
        instance.release();
        exitGuard.armDeadline();
    });
    QObject::connect(&form, &wendrel::Form1::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    form.Form_Load();
    QApplication::setWindowIcon(icon);
    if (form.windowState() & Qt::WindowMinimized) form.showMinimized();
    else if (!form.tray()->inStandby()) form.show();
    instance.setShowHandler([&form] { form.bringToFront(); });
    // The command line's and D-Bus's requests. A task is run once the answer
    // has gone: the run lasts as long as its script.
    const auto answer = [&session, &form](const wendrel::InstanceRequest& request) -> wendrel::CommandResult {
        if (session.unloaded()) return {{wendrel::ReplyStatus::Failed, "Wendrel is leaving"}};
        if (request.command == wendrel::Command::Show) form.bringToFront();
        const wendrel::CommandResult result = wendrel::perform(session, request);
        if (result.task > 0) form.FillGridRow(result.task);
        if (result.startTask) {
            QTimer::singleShot(0, &form, [&session, &form, k = result.task] {
                const wendrel::Session::RunNowResult run = session.runNow(k);
                if (!run.started) form.setPanelText(2, QString::fromStdString(run.refusal));
            });
        }
        return result;
    };
    instance.setCommandHandler(
        [answer](const wendrel::InstanceRequest& request) { return wendrel::formatReply(answer(request).reply); });
    wendrel::DBusControl dbus(session, answer);
    if (const QString why = dbus.publish(); !why.isEmpty()) qWarning("%s", qPrintable(why));
    exitGuard.setReady({[&form] { form.exitProgram(); }, [&session] { session.writeStore(); }});
    QTimer::singleShot(kSettleMs, &form, &wendrel::Form1::showLoadProblems);
    return app.exec();
}
