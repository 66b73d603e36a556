#include "platform/wayland/GnomeKeys.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include <chrono>
#include <thread>

#include "platform/wayland/UserLayout.h"
#include "platform/wayland/WaylandClient.h"

namespace wendrel::wayland {

namespace {
const char* const kService = "org.gnome.Mutter.RemoteDesktop";
const char* const kPath = "/org/gnome/Mutter/RemoteDesktop";
const char* const kSessionInterface = "org.gnome.Mutter.RemoteDesktop.Session";
// Left Shift: pressed alone it does nothing in any layout.
constexpr unsigned kHarmlessKey = 42 + 8;
constexpr int kCallTimeoutMilliseconds = 2000;

QDBusMessage call(const QString& path, const QString& interface, const QString& method, const QVariantList& args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, interface, method);
    m.setArguments(args);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, kCallTimeoutMilliseconds);
}
} // namespace

GnomeKeySender::GnomeKeySender(std::function<void(const std::string&)> notice) : refused_(std::move(notice)) {
    idle_.setSingleShot(true);
    idle_.setInterval(kIdleStopMilliseconds);
    connect(&idle_, &QTimer::timeout, this, [this] { stop(); });
}

GnomeKeySender::~GnomeKeySender() { stop(); }

bool GnomeKeySender::available() {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(kService);
}

bool GnomeKeySender::open() {
    if (!session_.isEmpty()) return connection_->roundtrip(); // takes a layout switched since
    const QDBusMessage created = call(kPath, "org.gnome.Mutter.RemoteDesktop", "CreateSession");
    if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty()) return false;
    session_ = created.arguments().first().value<QDBusObjectPath>().path();
    QDBusConnection::sessionBus().connect(kService, session_, kSessionInterface, "Closed", this, SLOT(sessionClosed()));
    if (call(session_, kSessionInterface, "Start").type() != QDBusMessage::ReplyMessage) {
        stop();
        return false;
    }
    // The seat gets its keyboard with the session's first key, and a window
    // hears of that keyboard only then: a first key that mattered would be
    // lost. A lone Shift goes first, and the windows are given a moment.
    if (!key(kHarmlessKey, true, true) || !key(kHarmlessKey, false, true)) {
        stop();
        return false;
    }
    connection_ = Connection::open();
    if (connection_) seat_ = std::make_unique<SeatLayout>(*connection_);
    for (int tries = 0; connection_ && tries < 20 && connection_->roundtrip() && !seat_->layout(); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!seat_ || !seat_->layout()) {
        stop();
        return false;
    }
    return true;
}

void GnomeKeySender::stop() {
    idle_.stop();
    seat_.reset();
    connection_.reset();
    if (session_.isEmpty()) return;
    const QString session = session_;
    session_.clear();
    QDBusConnection::sessionBus().disconnect(kService, session, kSessionInterface, "Closed", this,
                                             SLOT(sessionClosed()));
    QDBusMessage m = QDBusMessage::createMethodCall(kService, session, kSessionInterface, "Stop");
    QDBusConnection::sessionBus().send(m);
}

// Closed also comes when mutter ends the session itself; within a run of
// typing, that line fails, and the next one opens a new session.
void GnomeKeySender::sessionClosed() {
    endedByUser_ = idle_.isActive();
    stop();
}

// Presses go out without waiting; the last event of a stroke waits for
// mutter's answer, which keeps the pace to what mutter has handled.
bool GnomeKeySender::key(unsigned xkbKeycode, bool down, bool wait) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, session_, kSessionInterface, "NotifyKeyboardKeycode");
    m.setArguments({xkbKeycode - 8, down});
    if (!wait) return QDBusConnection::sessionBus().send(m);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, kCallTimeoutMilliseconds).type() ==
           QDBusMessage::ReplyMessage;
}

KeysPressed GnomeKeySender::press(std::span<const KeyStroke> strokes) {
    if (strokes.empty()) return {};
    if (endedByUser_) {
        endedByUser_ = false;
        KeysPressed result = noneTyped(strokes);
        result.ended = true;
        return result;
    }
    if (!open()) {
        refused_(kTypingRefusedNotice);
        return noneTyped(strokes);
    }
    idle_.stop();
    KeysPressed result;
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        const std::optional<std::vector<xkb_keycode_t>> keys = seat_->layout()->keysFor(strokes[i]);
        if (!keys) {
            result.notTyped += keyText(strokes[i]);
            continue;
        }
        bool ok = true;
        for (xkb_keycode_t kc : *keys) ok = ok && key(kc, true, false);
        for (auto it = keys->rbegin(); it != keys->rend(); ++it) ok = ok && key(*it, false, it + 1 == keys->rend());
        if (!ok) {
            // The session has gone (the user stopped it): this stroke and the
            // rest are not typed.
            stop();
            const KeysPressed rest = noneTyped(strokes.subspan(i));
            result.notTyped += rest.notTyped;
            result.ended = true;
            return result;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(kKeyDelayMicroseconds));
    }
    idle_.start();
    return result;
}

} // namespace wendrel::wayland
