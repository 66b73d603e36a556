#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace wendrel {

namespace {
// Later starts that may be connected at once; more are closed at once and
// try again, so that idle connections cannot crowd a real start out.
constexpr std::size_t kMaxPeers = 8;
// How long a connection may take to send its request.
constexpr int kIdleMs = 2000;
// How often a later start tries again while the running one is busy.
constexpr int kRetryMs = 100;

using Clock = std::chrono::steady_clock;

QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// True when path is a folder (not a link) of this user's that nobody else
// may enter or write to.
bool isPrivateFolder(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 0777) == 0700;
}

// A folder of this user's at path, made owner-only when missing. One that
// someone else made first, or made wider, is not taken.
bool ownFolder(const QByteArray& path) {
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
    return isPrivateFolder(path);
}

// Where the lock and the socket go; empty when this user has no such folder.
QString privateFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateFolder(runtime)) return QFile::decodeName(runtime);
    const QByteArray temporary = QFile::encodeName(QDir::tempPath()) + "/wendrel-" + QByteArray::number(::geteuid());
    if (ownFolder(temporary)) return QFile::decodeName(temporary);
    QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (!cache.startsWith('/')) {
        const QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/')) return {};
        cache = home + "/.cache";
    }
    ::mkdir(cache.constData(), 0700);
    cache += "/wendrel";
    return ownFolder(cache) ? QFile::decodeName(cache) : QString();
}

// The folder's identity: a name for it that every path to it shares.
QString identityOf(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        return "wendrel-" + QString::number(st.st_dev, 16) + "-" + QString::number(st.st_ino, 16);
    }
    const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(folder), QCryptographicHash::Sha256);
    return "wendrel-" + QString::fromLatin1(hash.toHex().left(20));
}

// Opens the lock file: never through a link, and only a plain file of this
// user's. Close-on-exec, so programs that scripts start never inherit the
// lock and keep it alive.
int openLock(const QString& path, int& err) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    err = errno;
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())) {
        ::close(fd);
        err = EPERM;
        return -1;
    }
    // In the runtime folder a sticky file is spared by its periodic clean-up.
    if (fd >= 0) ::fchmod(fd, S_ISVTX | 0600);
    return fd;
}

// True when the file open at fd is still the one at path.
bool isStillAt(int fd, const QString& path) {
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::lstat(QFile::encodeName(path).constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
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
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 && credentials.uid == ::geteuid();
}

// The process holding an flock() on the file with this identity, from the
// kernel's list of locks; 0 when none is listed.
pid_t flockHolder(dev_t device, ino_t inode) {
    std::ifstream locks("/proc/locks");
    char id[64];
    std::snprintf(id, sizeof id, "%02x:%02x:%llu", major(device), minor(device),
                  static_cast<unsigned long long>(inode));
    for (std::string line; std::getline(locks, line);) {
        // "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF"; waiters have "->" after the number.
        std::istringstream fields(line);
        std::string number, kind, mode, access, file;
        long pid = 0;
        if (fields >> number >> kind >> mode >> access >> pid >> file && kind == "FLOCK" && file == id && pid > 0) {
            return static_cast<pid_t>(pid);
        }
    }
    return 0;
}

// What a later start heard from the socket.
enum class Answer { Accepted, None, Foreign };
// The most of a reply that is read: a listing of every task in JSON is far less.
constexpr std::size_t kMaxReplyBytes = 4 << 20;

// Writes all of bytes to a socket that does not block, waiting until the
// deadline for room in it. False when the peer went or did not read.
bool sendAll(int fd, std::string_view bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLOUT, 0};
        if (n == 0 || errno != EAGAIN || left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
    }
    return true;
}

// One attempt to put a request to the running instance: connects without
// blocking (a running one that does not accept must not hold this start up),
// makes sure it is this user's, sends the request and reads the reply until
// the running one closes the connection or the deadline passes.
Answer askOnce(const sockaddr_un& address, std::string_view request, Clock::time_point deadline, std::string& reply) {
    reply.clear();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return Answer::None;
    Answer answer = Answer::None;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        // Nobody listens yet, or its queue is full.
    } else if (!peerIsThisUser(fd)) {
        answer = Answer::Foreign;
    } else if (sendAll(fd, request, deadline)) {
        bool ended = false;
        while (!ended && reply.size() < kMaxReplyBytes) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pollfd p{fd, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) == 0) break;
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n > 0) reply.append(buffer, static_cast<std::size_t>(n));
            ended = n <= 0;
        }
        // Closed unanswered, the running one was busy with other starts.
        if (ended && !reply.empty()) answer = Answer::Accepted;
    }
    ::close(fd);
    return answer;
}
} // namespace

SingleInstance::SingleInstance(const std::string& folder, QObject* parent) : QObject(parent) {
    folder_ = QString::fromStdString(folder);
    const QString place = privateFolder();
    if (place.isEmpty()) return;
    const QString name = identityOf(folder);
    lockPath_ = QDir(place).filePath(name + ".lock");
    socketPath_ = QDir(place).filePath(name + ".socket");
}

SingleInstance::~SingleInstance() { release(); }

void SingleInstance::release() {
    handler_ = nullptr;
    commandHandler_ = nullptr;
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
    if (lockFd_ >= 0) {
        // Removed before it is unlocked, so that no start takes a lock on a
        // file of no name (see acquire()).
        ::unlink(QFile::encodeName(lockPath_).constData());
        ::close(lockFd_); // releases the lock
    }
    lockFd_ = -1;
}

bool SingleInstance::acquire() {
    if (lockFd_ >= 0) return true;
    whyNot_.clear();
    if (lockPath_.isEmpty()) {
        whyNot_ = "No folder of this user's alone for the lock of " + folder_ + ": running without it";
        return true;
    }
    // An instance that ends removes its lock file; one opened just before
    // that is no lock any more, so the file locked must still be the one
    // of that name.
    for (;;) {
        int err = 0;
        const int fd = openLock(lockPath_, err);
        if (fd < 0) {
            whyNot_ = QString("Cannot open the lock %1: %2").arg(lockPath_, systemError(err));
            return true;
        }
        int locked;
        while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {}
        if (locked != 0) {
            err = errno;
            ::close(fd);
            if (err == EWOULDBLOCK) return false;
            whyNot_ = QString("Cannot lock %1: %2").arg(lockPath_, systemError(err));
            return true;
        }
        if (isStillAt(fd, lockPath_)) {
            lockFd_ = fd;
            listen();
            return true;
        }
        ::close(fd); // removed meanwhile: the file now of that name decides
    }
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
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, kMaxPeers) != 0) {
        whyNot_ = "Cannot listen for later starts: " + systemError(errno);
        if (fd >= 0) ::close(fd);
        return;
    }
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
            ::close(fd); // a start turned away unanswered tries again
            continue;
        }
        Peer& peer = peers_[fd];
        peer.readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(peer.readable.get(), &QSocketNotifier::activated, this, [this, fd] { readPeer(fd); });
        peer.deadline = std::make_unique<QTimer>();
        peer.deadline->setSingleShot(true);
        connect(peer.deadline.get(), &QTimer::timeout, this, [this, fd] { dropPeer(fd); });
        peer.deadline->start(kIdleMs);
        readPeer(fd);
    }
}

void SingleInstance::readPeer(int fd) {
    auto it = peers_.find(fd);
    if (it == peers_.end()) return;
    InstanceRequestReader& request = it->second.request;
    char buffer[kMaxRequestBytes];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return; // the rest of the line is still to come
        if (n <= 0) break;                    // gone before the end of its line
        const auto verdict = request.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
        if (verdict == InstanceRequestReader::Verdict::Incomplete) continue;
        if (verdict == InstanceRequestReader::Verdict::Show) {
            ::send(fd, kShowAccepted.data(), kShowAccepted.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            pending_ = true;
        } else if (verdict == InstanceRequestReader::Verdict::Command) {
            // The handler may wait in a message box (a failed save), with
            // events going on: the connection stays as it is meanwhile,
            // unless the program leaves.
            const InstanceRequest asked = request.request();
            it->second.readable->setEnabled(false);
            it->second.deadline->stop();
            const std::string reply = commandHandler_ ? commandHandler_(asked) : formatReply({ReplyStatus::Busy, {}});
            if (peers_.count(fd) != 0) sendAll(fd, reply, Clock::now() + std::chrono::milliseconds(kIdleMs));
        }
        break;
    }
    dropPeer(fd);
    deliver();
}

void SingleInstance::dropPeer(int fd) {
    auto it = peers_.find(fd);
    if (it == peers_.end()) return;
    // Either may be inside its own signal.
    it->second.readable->setEnabled(false);
    it->second.readable.release()->deleteLater();
    it->second.deadline->stop();
    it->second.deadline.release()->deleteLater();
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

QString SingleInstance::lockHolder() const {
    struct stat st {};
    const pid_t pid =
        ::stat(QFile::encodeName(lockPath_).constData(), &st) == 0 ? flockHolder(st.st_dev, st.st_ino) : 0;
    if (pid <= 0) return "another Wendrel process";
    const QString program = QFile::symLinkTarget(QString("/proc/%1/exe").arg(pid));
    return program.isEmpty() ? QString("process %1").arg(pid) : QString("process %1 (%2)").arg(pid).arg(program);
}

bool SingleInstance::notifyRunning(int timeoutMs) {
    std::string reply;
    if (!ask(kShowRequest, reply, timeoutMs)) return false;
    if (reply == kShowAccepted) return true;
    whyNot_ = "Wendrel is already running for the folder " + folder_ +
              " but did not understand: " + QString::fromStdString(reply).trimmed();
    return false;
}

bool SingleInstance::ask(std::string_view line, std::string& reply, int timeoutMs) {
    whyNot_.clear();
    sockaddr_un address;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (socketAddress(socketPath_, address)) {
        for (;;) {
            const Answer answer = askOnce(address, line, deadline, reply);
            const std::optional<InstanceReply> parsed = parseReply(reply);
            if (answer == Answer::Accepted && !(parsed && parsed->status == ReplyStatus::Busy)) return true;
            if (answer == Answer::Foreign) {
                whyNot_ = "The socket " + socketPath_ + " belongs to another user; Wendrel did not ask it anything.";
                return false;
            }
            // The running instance may hold the lock but not listen yet, or
            // be busy with other starts. Without its lock file it has ended.
            if (Clock::now() + std::chrono::milliseconds(kRetryMs) >= deadline) break;
            if (::access(QFile::encodeName(lockPath_).constData(), F_OK) != 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
        }
    }
    whyNot_ = QString("Wendrel is already running for the folder %1 but does not answer.\n\n"
                      "Its lock %2 is held by %3. End that process to start Wendrel here.")
                  .arg(folder_, lockPath_, lockHolder());
    return false;
}

} // namespace wendrel
