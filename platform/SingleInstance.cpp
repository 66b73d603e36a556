#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <string_view>
#include <thread>
#include <unistd.h>

namespace wendrel {

namespace {
constexpr char kShowRequest[] = "show";
// A request is one short line; a peer that sends more is dropped.
constexpr std::size_t kMaxRequestBytes = 256;
// Later starts that may be connected at once; more are turned away.
constexpr std::size_t kMaxPeers = 16;

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

// The socket's address; false when the path does not fit one.
bool socketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray p = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (p.isEmpty() || static_cast<std::size_t>(p.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, p.constData(), p.size());
    return true;
}

// True when the process at the other end runs as this user.
bool peerIsThisUser(int fd) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 && credentials.uid == ::getuid();
}

// A lock file owned by this user, for a folder that cannot be opened.
int openRuntimeLock(const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    return ::open(p.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
}
} // namespace

SingleInstance::SingleInstance(const std::string& folder, QObject* parent) : QObject(parent) {
    folder_ = QString::fromStdString(folder);
    const QString name = identityOf(folder);
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir()) runtime = QDir::tempPath();
    runtimeLockPath_ = QDir(runtime).filePath(name + ".lock");
    socketPath_ = QDir(runtime).filePath(name + ".socket");
}

SingleInstance::~SingleInstance() { release(); }

void SingleInstance::release() {
    handler_ = nullptr;
    pending_ = false;
    while (!peers_.empty()) dropPeer(peers_.begin()->first);
    if (listenFd_ >= 0) {
        incoming_->setEnabled(false);
        incoming_.release()->deleteLater(); // may be inside its own signal
        ::close(listenFd_);
        listenFd_ = -1;
        // Removed while the lock is still held: a new instance only creates
        // its socket after taking the lock.
        ::unlink(QFile::encodeName(socketPath_).constData());
    }
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
    listen();
    return true;
}

void SingleInstance::listen() {
    sockaddr_un address;
    if (!socketAddress(socketPath_, address)) {
        whyNot_ = "Cannot listen for later starts: the path " + socketPath_ + " is too long";
        return;
    }
    // Holding the lock, a socket of that name is a leftover of a killed
    // instance: remove it and listen anew.
    ::unlink(address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0) {
        whyNot_ = "Cannot listen for later starts: " + QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0) ::close(fd);
        return;
    }
    // The runtime folder is the user's own; in the shared temporary folder
    // the socket is made so, and peers of other users are turned away anyway.
    ::chmod(address.sun_path, 0600);
    listenFd_ = fd;
    incoming_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(incoming_.get(), &QSocketNotifier::activated, this, &SingleInstance::acceptPeers);
}

void SingleInstance::acceptPeers() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            return; // EAGAIN: all taken; anything else: try at the next wake-up
        }
        if (peers_.size() >= kMaxPeers || !peerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        Peer& peer = peers_[fd];
        peer.readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(peer.readable.get(), &QSocketNotifier::activated, this, [this, fd] { readPeer(fd); });
        readPeer(fd);
    }
}

void SingleInstance::readPeer(int fd) {
    auto it = peers_.find(fd);
    if (it == peers_.end()) return;
    std::string& received = it->second.received;
    char buffer[512];
    bool done = false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) break;
        if (n <= 0) { // the peer is done (or gone); what it sent still counts
            done = true;
            break;
        }
        received.append(buffer, static_cast<std::size_t>(n));
        if (received.size() > kMaxRequestBytes) {
            dropPeer(fd);
            return;
        }
    }
    for (std::size_t end; (end = received.find('\n')) != std::string::npos; received.erase(0, end + 1)) {
        if (std::string_view(received).substr(0, end) == kShowRequest) pending_ = true;
    }
    if (done) dropPeer(fd);
    deliver();
}

void SingleInstance::dropPeer(int fd) {
    auto it = peers_.find(fd);
    if (it == peers_.end()) return;
    it->second.readable->setEnabled(false);
    it->second.readable.release()->deleteLater(); // may be inside its own signal
    ::close(fd);
    peers_.erase(it);
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
    sockaddr_un address;
    if (!socketAddress(socketPath_, address)) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::string request = std::string(kShowRequest) + "\n";
    do {
        // Non-blocking: a running instance that does not accept (its queue
        // full, itself stopped) must not hold this start up past the deadline.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        const bool sent =
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
        ::close(fd); // what was sent stays for the running one to read
        if (sent) return true;
        // The running instance may hold the lock but not listen yet.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

} // namespace wendrel
