#pragma once
// Every way out of the program saves the task list: SIGTERM, SIGINT and
// SIGHUP leave the program as File > Exit does (without any question or
// message box), and the desktop session ending saves too.
//
// A signal handler may do almost nothing, so it only writes the signal's
// number into a pipe; the event loop reads the pipe and acts.
#include <QObject>
#include <functional>

class QGuiApplication;
class QSocketNotifier;

namespace wendrel {

// Catches SIGTERM, SIGINT and SIGHUP from here on; call it first thing in
// main, so that no signal of the start-up is lost. A signal waits in the pipe
// until an ExitGuard acts on it. A signal that was ignored when the program
// started (nohup) stays ignored.
void catchExitSignals();

class ExitGuard : public QObject {
    Q_OBJECT
public:
    struct Actions {
        // Leave the program: scripts stop, the list is saved without asking,
        // the window closes.
        std::function<void()> leave;
        // Save now and go on (the session may still be cancelled).
        std::function<void()> save;
    };

    // Listens to the pipe of catchExitSignals() (at most one guard per process).
    explicit ExitGuard(QGuiApplication& app, QObject* parent = nullptr);
    ~ExitGuard() override;

    // The task list is loaded: from now on a signal calls actions.leave.
    // Until then a signal ends the program at once, as if it had no handler:
    // nothing has changed yet, and what is in memory is not the list.
    void setReady(Actions actions);

    // The program is on its way out, its list saved. Should a step that does
    // not give way (a blocked system call) hold it, the process ends anyway
    // once the grace time is over. A further signal ends it at once.
    void armDeadline();
    void setGraceMilliseconds(int ms) { graceMs_ = ms; }

private:
    void onPipeReadable();

    QSocketNotifier* notifier_ = nullptr;
    Actions actions_;
    bool ready_ = false;
    bool leaving_ = false;
    int graceMs_ = 1500;
};

} // namespace wendrel
