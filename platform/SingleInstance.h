#pragma once
// One running Wendrel per program folder. The first start takes a lock on the
// folder and listens on a local socket; a later start finds the lock taken,
// asks the running one to show its main window and ends without touching the
// task list or the options.
//
// The lock is an flock() on a lock file, so it dies with the process that held
// it: a killed instance never blocks the next start.
#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QLocalServer;

namespace wendrel {

class Form1;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const std::string& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the folder's lock and starts listening for later starts. False
    // only when another process holds the lock. When no lock file can be
    // opened at all (a read-only folder and no usable runtime folder) the
    // program runs unguarded rather than not at all; whyNot() then says why.
    bool acquire();
    bool holdsLock() const { return lockFd_ >= 0; }
    QString whyNot() const { return whyNot_; }

    // From a later start: asks the running instance to show its window. Tries
    // for up to timeoutMs while the running one is still starting. False when
    // it could not be reached.
    bool notifyRunning(int timeoutMs = 10000);

    // What to do when a later start asks for the window. Requests that came
    // before a handler was set are delivered when it is set.
    void setShowHandler(std::function<void()> handler);

    // The names used for this folder (derived from its canonical path).
    QString lockFilePath() const { return lockPath_; }
    QString serverName() const { return serverName_; }

private:
    void onNewConnection();
    void deliver();

    QString folder_;
    QString lockPath_;
    QString fallbackLockPath_;
    QString serverName_;
    QString whyNot_;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
    std::function<void()> handler_;
    bool pending_ = false;
};

// Brings the main window to the front: out of the tray, out of the minimized
// state, raised and given the focus.
void bringToFront(Form1& form);

} // namespace wendrel
