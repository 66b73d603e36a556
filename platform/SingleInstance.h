#pragma once
// One running Wendrel per program folder. The first start takes a lock and
// listens on a local socket; a later start finds the lock taken, asks the
// running one to show its main window and ends without touching the task list
// or the options. The command line's actions (--list, --run ...) ask the
// running one over the same socket (see store/InstanceRequest.h).
//
// The lock file and the socket are named by the folder's device and inode and
// live in a folder only this user can write to: $XDG_RUNTIME_DIR, else
// /tmp/wendrel-<uid>, else ~/.cache/wendrel, each taken only when it is a real
// folder of this user's with no access for anyone else. Other users can then
// neither hold the lock nor answer in the running instance's place; the lock is
// an flock(), so it dies with the process that held it. Both ends of the
// socket check that the other runs as this user.
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "store/InstanceRequest.h"

class QSocketNotifier;
class QTimer;

namespace wendrel {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const std::string& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and starts listening for later starts. False only when
    // another process holds the lock. When there is no private folder for the
    // lock, or it cannot be taken, the program runs unguarded rather than not
    // at all, and whyNot() says why.
    bool acquire();
    // Why the last acquire() or notifyRunning() did not go as meant, for the
    // user; empty when it did.
    QString whyNot() const { return whyNot_; }

    // The program is leaving: a later start is a first start again, even
    // while this process is still ending. Requests are no longer answered.
    void release();

    // From a later start: asks the running instance to show its window and
    // waits for its answer, trying for up to timeoutMs while the running one
    // is still starting or busy with other starts. False when it did not
    // answer (whyNot() then names the lock and its holder), or when the
    // socket belongs to another user.
    bool notifyRunning(int timeoutMs = 10000);
    // From the command line: sends the request line and waits up to
    // timeoutMs for the whole reply, trying again while the running one is
    // busy or still starting. False as for notifyRunning.
    bool ask(std::string_view line, std::string& reply, int timeoutMs = 10000);

    // What to do when a later start asks for the window. Requests that came
    // before a handler was set are delivered when it is set.
    void setShowHandler(std::function<void()> handler);
    // What answers the other requests: it gets the request and returns the
    // reply's bytes. Until it is set they are answered "busy".
    void setCommandHandler(std::function<std::string(const InstanceRequest&)> handler) {
        commandHandler_ = std::move(handler);
    }

    // Where the lock and the socket are; empty when no private folder was
    // found.
    QString lockPath() const { return lockPath_; }
    QString socketPath() const { return socketPath_; }

private:
    // A connected later start and what it has sent so far.
    struct Peer {
        std::unique_ptr<QSocketNotifier> readable;
        std::unique_ptr<QTimer> deadline;
        InstanceRequestReader request;
    };

    void listen();
    void acceptPeers();
    void readPeer(int fd);
    void dropPeer(int fd);
    void deliver();
    QString lockHolder() const;

    QString folder_;
    QString lockPath_;
    QString socketPath_;
    QString whyNot_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    std::unique_ptr<QSocketNotifier> incoming_;
    std::map<int, Peer> peers_;
    std::function<void()> handler_;
    std::function<std::string(const InstanceRequest&)> commandHandler_;
    bool pending_ = false;
};

} // namespace wendrel
