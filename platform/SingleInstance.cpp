#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "ui/main/Form1.h"
#include "ui/tray/Tray.h"

namespace wendrel {

namespace {
constexpr char kShowRequest[] = "show\n";

// Opens (creating when missing, owner-only) a lock file. Close-on-exec, so
// programs that scripts start never inherit the lock and keep it alive.
int openLockFile(const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    int fd = ::open(p.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) fd = ::open(p.constData(), O_RDONLY | O_CLOEXEC);  // flock works on read-only files too
    return fd;
}
} // namespace

SingleInstance::SingleInstance(const std::string& folder, QObject* parent) : QObject(parent) {
    folder_ = QString::fromStdString(folder);
    QString canonical = QFileInfo(folder_).canonicalFilePath();
    if (canonical.isEmpty()) canonical = QFileInfo(folder_).absoluteFilePath();
    const QByteArray key =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(20);
    const QString user = QString::number(::getuid());
    lockPath_ = QDir(canonical).filePath(".Wendrel.lock");
    // For a folder the user cannot write to: a lock beside the socket.
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir()) runtime = QDir::tempPath();
    fallbackLockPath_ = QDir(runtime).filePath("wendrel-" + user + "-" + QString::fromLatin1(key) + ".lock");
    serverName_ = "wendrel-" + user + "-" + QString::fromLatin1(key);
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    if (lockFd_ >= 0) ::close(lockFd_);  // releases the lock
}

bool SingleInstance::acquire() {
    if (lockFd_ >= 0) return true;
    int fd = openLockFile(lockPath_);
    if (fd < 0) fd = openLockFile(fallbackLockPath_);
    if (fd < 0) {
        whyNot_ = QString("Cannot open a lock file for %1: %2").arg(folder_, QString::fromLocal8Bit(std::strerror(errno)));
        return true;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) return false;
        whyNot_ = QString("Cannot lock %1: %2").arg(lockPath_, QString::fromLocal8Bit(std::strerror(err)));
        return true;
    }
    lockFd_ = fd;

    // Holding the lock, any socket of that name is a leftover of a killed
    // instance: remove it and listen anew.
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(serverName_);
    if (!server_->listen(serverName_)) {
        whyNot_ = QString("Cannot listen for later starts: %1").arg(server_->errorString());
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
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

void bringToFront(Form1& form) {
    if (form.tray() && form.tray()->inStandby()) {
        form.rest1_Click();
    }
    if (form.isMinimized()) form.showNormal();
    else form.show();
    form.raise();
    form.activateWindow();
}

} // namespace wendrel
