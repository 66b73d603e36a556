#pragma once
// One running Wendrel per program folder. The first start takes a lock on the
// folder and listens on a local socket; a later start finds the lock taken,
// asks the running one to show its main window and ends without touching the
// task list or the options.
//
// The lock is an flock() on the folder itself, so it dies with the process
// that held it (a killed instance never blocks the next start) and no file
// can be deleted or replaced to get around it.
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QSocketNotifier;

namespace wendrel {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const std::string& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the folder's lock and starts listening for later starts. False
    // only when another process holds the lock. When the folder cannot be
    // opened (no read permission) a lock file in the user's runtime folder,
    // named by the folder's device and inode, stands in; when even that
    // fails the program runs unguarded rather than not at all, and whyNot()
    // says why.
    bool acquire();
    QString whyNot() const { return whyNot_; }

    // The program is leaving: a later start is a first start again, even
    // while this process is still ending. Requests are no longer answered.
    void release();

    // From a later start: asks the running instance to show its window. Tries
    // for up to timeoutMs while the running one is still starting. False when
    // it could not be reached.
    bool notifyRunning(int timeoutMs = 10000);

    // What to do when a later start asks for the window. Requests that came
    // before a handler was set are delivered when it is set.
    void setShowHandler(std::function<void()> handler);

    // The socket later starts connect to: in the user's runtime folder,
    // named by the folder's identity.
    QString socketPath() const { return socketPath_; }

private:
    // A connected later start and what it has sent so far.
    struct Peer {
        std::unique_ptr<QSocketNotifier> readable;
        std::string received;
    };

    void listen();
    void acceptPeers();
    void readPeer(int fd);
    void dropPeer(int fd);
    void deliver();

    QString folder_;
    QString runtimeLockPath_;
    QString socketPath_;
    QString whyNot_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    std::unique_ptr<QSocketNotifier> incoming_;
    std::map<int, Peer> peers_;
    std::function<void()> handler_;
    bool pending_ = false;
};

} // namespace wendrel
