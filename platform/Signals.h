#pragma once
// Every way out of the program saves the task list the way closing the main
// window does: SIGTERM, SIGINT and SIGHUP become a close of the main window
// (its unload writes the store), and the desktop session ending writes the
// store too.
//
// A signal handler may do almost nothing, so it only writes the signal's
// number into a pipe; the event loop reads the pipe and closes the window.
#include <QObject>

class QGuiApplication;
class QSocketNotifier;

namespace wendrel {

class Form1;

class ExitGuard : public QObject {
    Q_OBJECT
public:
    // Installs the signal handlers (at most one guard per process). A signal
    // that was ignored when the program started (nohup) stays ignored.
    ExitGuard(QGuiApplication& app, Form1& form, QObject* parent = nullptr);
    ~ExitGuard() override;

    // The main window has loaded its store: from now on a way out saves it.
    // Signals that came before are acted on now. Until then nothing is
    // written, so an early signal cannot replace the store with an empty list.
    void setReady();

    // Seconds the program may still run after a signal's save before it ends
    // hard (a script waiting in a loop of its own would otherwise keep it).
    void setGraceSeconds(int seconds) { graceSeconds_ = seconds; }

signals:
    void signalReceived(int signal);

private:
    void onPipeReadable();
    void closeMainWindow(int signal);
    void saveForSessionEnd();

    QGuiApplication& app_;
    Form1& form_;
    QSocketNotifier* notifier_ = nullptr;
    bool ready_ = false;
    bool closing_ = false;
    int pendingSignal_ = 0;
    int graceSeconds_ = 5;
};

} // namespace wendrel
