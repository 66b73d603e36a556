#include "platform/wayland/SwayWindows.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/FocusWait.h"

namespace wendrel::wayland {

namespace {

constexpr char kMagic[] = "i3-ipc";
constexpr std::size_t kMagicLength = 6, kHeaderLength = kMagicLength + 8;
constexpr int kReplyTimeoutMilliseconds = 3000;

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool readAll(int fd, char* data, std::size_t size, std::chrono::steady_clock::time_point until) {
    while (size > 0) {
        using namespace std::chrono;
        const auto left = duration_cast<milliseconds>(until - steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        const ssize_t n = ::read(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

struct SwayWindow {
    qint64 id = 0;
    bool focused = false, visible = false;
};

// The windows in the tree whose process is one of these, in tree order.
void collectWindows(const QJsonObject& node, const std::set<int>& pids, std::vector<SwayWindow>& out) {
    const QJsonValue pid = node.value("pid");
    if (pid.isDouble() && pids.count(pid.toInt())) {
        out.push_back({static_cast<qint64>(node.value("id").toDouble()), node.value("focused").toBool(),
                       node.value("visible").toBool()});
    }
    for (const char* list : {"nodes", "floating_nodes"})
        for (const QJsonValue child : node.value(list).toArray()) collectWindows(child.toObject(), pids, out);
}

// The process of the focused window; 0 when no window has the focus (an empty
// workspace is focused).
int focusedPid(const QJsonObject& node) {
    if (node.value("focused").toBool()) return node.value("pid").toInt();
    for (const char* list : {"nodes", "floating_nodes"})
        for (const QJsonValue child : node.value(list).toArray())
            if (const int pid = focusedPid(child.toObject())) return pid;
    return 0;
}

} // namespace

SwayIpc::~SwayIpc() {
    if (fd_ >= 0) ::close(fd_);
}

bool SwayIpc::connectSocket() {
    if (fd_ >= 0) return true;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path_.empty() || path_.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return false;
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

std::optional<std::string> SwayIpc::request(Type type, const std::string& payload) {
    // A connection that sway has closed (sway restarted) fails on its first
    // use; one new connection is tried then.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!connectSocket()) return std::nullopt;
        char header[kHeaderLength];
        std::memcpy(header, kMagic, kMagicLength);
        const std::uint32_t fields[2] = {static_cast<std::uint32_t>(payload.size()), type};
        std::memcpy(header + kMagicLength, fields, sizeof fields);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyTimeoutMilliseconds);
        std::uint32_t reply[2] = {0, 0};
        if (writeAll(fd_, header, sizeof header) && writeAll(fd_, payload.data(), payload.size()) &&
            readAll(fd_, header, sizeof header, until) && std::memcmp(header, kMagic, kMagicLength) == 0) {
            std::memcpy(reply, header + kMagicLength, sizeof reply);
            std::string body(reply[0], '\0');
            if (reply[1] == type && readAll(fd_, body.data(), body.size(), until)) return body;
        }
        ::close(fd_);
        fd_ = -1;
    }
    return std::nullopt;
}

ActivateResult SwayWindowActivator::activate(double taskId, std::string& failure) {
    const std::set<int> family = livingProcesses(programs_, taskId);
    if (family.empty()) return ActivateResult::NoSuchWindow;
    const int pid = static_cast<int>(taskId);

    auto windows = [&]() -> std::optional<std::vector<SwayWindow>> {
        const std::optional<std::string> tree = ipc_.request(SwayIpc::GetTree, {});
        if (!tree) return std::nullopt;
        std::vector<SwayWindow> found;
        collectWindows(QJsonDocument::fromJson(QByteArray::fromStdString(*tree)).object(), family, found);
        return found;
    };
    // A living program without a window (one still starting, or sway out of
    // reach) counts as shown: RUN ...,1 goes on waiting for it.
    const std::optional<std::vector<SwayWindow>> found = windows();
    if (!found || found->empty()) return ActivateResult::Ok;
    for (const SwayWindow& w : *found)
        if (w.focused) return ActivateResult::Ok;

    SwayWindow target = found->front();
    for (const SwayWindow& w : *found)
        if (w.visible) {
            target = w;
            break;
        }
    const std::optional<std::string> reply =
        ipc_.request(SwayIpc::RunCommand, "[con_id=" + std::to_string(target.id) + "] focus");
    const QJsonArray results =
        reply ? QJsonDocument::fromJson(QByteArray::fromStdString(*reply)).array() : QJsonArray();
    if (results.isEmpty() || !results.first().toObject().value("success").toBool()) {
        // The window may have closed in between.
        const auto now = windows();
        if (now && now->empty()) return ActivateResult::Ok;
        failure = "Cannot bring the window of program " + std::to_string(pid) + " to the front";
        return ActivateResult::Failed;
    }
    // Keys of a TYPE line that follows must reach the window, so the focus
    // change is awaited.
    awaitFocus([&] {
        const auto now = windows();
        return !now || std::any_of(now->begin(), now->end(),
                                   [&](const SwayWindow& w) { return w.id == target.id && w.focused; });
    });
    return ActivateResult::Ok;
}

bool SwayWindowActivator::activeWindowIsOurs() {
    const std::optional<std::string> tree = ipc_.request(SwayIpc::GetTree, {});
    if (!tree) return toolkitWindowActive();
    return focusedPid(QJsonDocument::fromJson(QByteArray::fromStdString(*tree)).object()) == ::getpid();
}

} // namespace wendrel::wayland
