#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wendrel {

namespace {
constexpr char kShowRequest[] = "show\n";

// The folder's identity: a name for it that every path to it shares.
QString identityOf(const std::string& folder) {
    struct stat st {};
    const QString user = QString::number(::getuid());
    if (::stat(folder.c_str(), &st) == 0) {
        return "wendrel-" + user + "-" + QString::number(st.st_dev, 16) + "-" + QString::number(st.st_ino, 16);
    }
    const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(folder), QCryptographicHash::Sha256);
    return "wendrel-" + user + "-" + QString::fromLatin1(hash.toHex().left(20));
}

// Opens the folder itself for its lock: the canonical path, the last step not
// followed should it have become a link meanwhile. Close-on-exec, so programs
// that scripts start never inherit the lock and keep it alive.
int openFolder(const std::string& folder) {
    char* real = ::realpath(folder.c_str(), nullptr);
    if (!real) return -1;
    const int fd = ::open(real, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    std::free(real);
    return fd;
}

// A lock file owned by this user, for a folder that cannot be opened.
int openRuntimeLock(const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    return ::open(p.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
}
} // namespace

SingleInstance::SingleInstance(const std::string& folder, QObject* parent) : QObject(parent) {
    folder_ = QString::fromStdString(folder);
    serverName_ = identityOf(folder);
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir()) runtime = QDir::tempPath();
    runtimeLockPath_ = QDir(runtime).filePath(serverName_ + ".lock");
}

SingleInstance::~SingleInstance() { release(); }

void SingleInstance::release() {
    handler_ = nullptr;
    pending_ = false;
    if (server_) server_->close();
    if (lockFd_ >= 0) ::close(lockFd_); // releases the lock
    lockFd_ = -1;
}

bool SingleInstance::acquire() {
    if (lockFd_ >= 0) return true;
    int fd = openFolder(folder_.toStdString());
    if (fd < 0) fd = openRuntimeLock(runtimeLockPath_);
    if (fd < 0) {
        whyNot_ = QString("Cannot lock %1: %2").arg(folder_, QString::fromLocal8Bit(std::strerror(errno)));
        return true;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) return false;
        whyNot_ = QString("Cannot lock %1: %2").arg(folder_, QString::fromLocal8Bit(std::strerror(err)));
        return true;
    }
    lockFd_ = fd;

    // Holding the lock, any socket of that name is a leftover of a killed
    // instance: remove it and listen anew.
    if (!server_) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    }
    QLocalServer::removeServer(serverName_);
    if (!server_->listen(serverName_)) {
        whyNot_ = QString("Cannot listen for later starts: %1").arg(server_->errorString());
    }
    return true;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto handle = [this, socket] {
            // A request is one short line; anything else is ignored, and a
            // peer that floods the socket is dropped.
            if (socket->bytesAvailable() > 256) {
                socket->abort();
                return;
            }
            while (socket->canReadLine()) {
                if (socket->readLine(64) == kShowRequest) {
                    pending_ = true;
                    deliver();
                }
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, handle);
        handle();
    }
}

void SingleInstance::setShowHandler(std::function<void()> handler) {
    handler_ = std::move(handler);
    deliver();
}

void SingleInstance::deliver() {
    if (!pending_ || !handler_) return;
    pending_ = false;
    handler_();
}

bool SingleInstance::notifyRunning(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    do {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(500)) {
            socket.write(kShowRequest);
            bool sent = socket.waitForBytesWritten(2000) || socket.bytesToWrite() == 0;
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
            if (sent) return true;
        }
        // The running instance may hold the lock but not listen yet.
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace wendrel
