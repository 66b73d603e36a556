#include "platform/wayland/GnomeKeys.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/wayland/UserLayout.h"
#include "platform/wayland/WaylandClient.h"

namespace wendrel::wayland {

namespace {
const char* const kMutterService = "org.gnome.Mutter.RemoteDesktop";
const char* const kMutterSession = "org.gnome.Mutter.RemoteDesktop.Session";
const char* const kPortalService = "org.freedesktop.portal.Desktop";
const char* const kPortalPath = "/org/freedesktop/portal/desktop";
const char* const kPortalInterface = "org.freedesktop.portal.RemoteDesktop";
// Left Shift: pressed alone it does nothing in any layout.
constexpr unsigned kHarmlessKey = 42;
constexpr int kCallTimeoutMilliseconds = 2000;

QDBusMessage call(const QString& service, const QString& path, const QString& interface, const QString& method,
                  const QVariantList& args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, method);
    m.setArguments(args);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, kCallTimeoutMilliseconds);
}

// Sends a message and, with wait, waits for the answer; false on an error.
bool send(QDBusMessage m, bool wait) {
    if (!wait) return QDBusConnection::sessionBus().send(m);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, kCallTimeoutMilliseconds).type() ==
           QDBusMessage::ReplyMessage;
}

class MutterSession : public RemoteSession {
public:
    bool start() override {
        const QDBusMessage created =
            call(kMutterService, "/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop", "CreateSession");
        if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty()) return false;
        service = kMutterService;
        path = created.arguments().first().value<QDBusObjectPath>().path();
        interface = kMutterSession;
        return call(service, path, interface, "Start").type() == QDBusMessage::ReplyMessage;
    }
    bool key(unsigned code, bool down, bool wait) override {
        QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, "NotifyKeyboardKeycode");
        m.setArguments({code, down});
        return send(m, wait);
    }
    void stop() override {
        if (!path.isEmpty()) send(QDBusMessage::createMethodCall(service, path, interface, "Stop"), false);
    }
};

// Each step of the portal answers with a request object whose Response
// signal brings the outcome, once the user has answered where the portal asks.
class PortalRequest : public QObject {
    Q_OBJECT
public:
    // The results of a successful step; no value when refused or cancelled.
    std::optional<QVariantMap> run(const QString& method, QVariantList args, QVariantMap options) {
        static int tokens = 0;
        const QString token = "wendrel" + QString::number(++tokens);
        options["handle_token"] = token;
        QString sender = QDBusConnection::sessionBus().baseService().mid(1);
        sender.replace('.', '_');
        const QString request = QString(kPortalPath) + "/request/" + sender + "/" + token;
        QDBusConnection::sessionBus().connect(kPortalService, request, "org.freedesktop.portal.Request", "Response",
                                              this, SLOT(response(uint, QVariantMap)));
        args.append(options);
        QEventLoop loop;
        loop_ = &loop;
        if (call(kPortalService, kPortalPath, kPortalInterface, method, args).type() == QDBusMessage::ReplyMessage &&
            !answered_)
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        loop_ = nullptr;
        QDBusConnection::sessionBus().disconnect(kPortalService, request, "org.freedesktop.portal.Request", "Response",
                                                 this, SLOT(response(uint, QVariantMap)));
        return answered_ && code_ == 0 ? std::optional(results_) : std::nullopt;
    }

private slots:
    void response(uint code, const QVariantMap& results) {
        answered_ = true;
        code_ = code;
        results_ = results;
        if (loop_) loop_->quit();
    }

private:
    QEventLoop* loop_ = nullptr;
    bool answered_ = false;
    uint code_ = 2;
    QVariantMap results_;
};

class PortalSession : public RemoteSession {
public:
    explicit PortalSession(QString& restoreToken) : restoreToken_(restoreToken) {}
    bool start() override {
        const auto created = PortalRequest().run("CreateSession", {}, {{"session_handle_token", "wendrel"}});
        if (!created) return false;
        service = kPortalService;
        path = created->value("session_handle").toString();
        interface = "org.freedesktop.portal.Session";
        const QDBusObjectPath session(path);
        // From version 2 on the portal can remember the user's answer.
        QVariantMap devices{{"types", 1u}}; // the keyboard
        const QDBusMessage version = call(kPortalService, kPortalPath, "org.freedesktop.DBus.Properties", "Get",
                                          {QString(kPortalInterface), QString("version")});
        if (!version.arguments().isEmpty() &&
            version.arguments().first().value<QDBusVariant>().variant().toUInt() >= 2) {
            devices["persist_mode"] = 2u;
            if (!restoreToken_.isEmpty()) devices["restore_token"] = restoreToken_;
        }
        if (!PortalRequest().run("SelectDevices", {QVariant::fromValue(session)}, devices)) return false;
        const auto started = PortalRequest().run("Start", {QVariant::fromValue(session), QString()}, {});
        if (!started) return false;
        restoreToken_ = started->value("restore_token").toString();
        return true;
    }
    bool key(unsigned code, bool down, bool wait) override {
        QDBusMessage m =
            QDBusMessage::createMethodCall(kPortalService, kPortalPath, kPortalInterface, "NotifyKeyboardKeycode");
        m.setArguments(
            {QVariant::fromValue(QDBusObjectPath(path)), QVariantMap(), static_cast<int>(code), down ? 1u : 0u});
        return send(m, wait);
    }
    void stop() override {
        if (!path.isEmpty()) send(QDBusMessage::createMethodCall(service, path, interface, "Close"), false);
    }

private:
    QString& restoreToken_;
};
} // namespace

GnomeKeySender::GnomeKeySender(Kind kind, std::function<void(const std::string&)> notice)
    : kind_(kind), refused_(std::move(notice)) {
    idle_.setSingleShot(true);
    idle_.setInterval(kIdleStopMilliseconds);
    connect(&idle_, &QTimer::timeout, this, [this] { stop(); });
}

GnomeKeySender::~GnomeKeySender() { stop(); }

std::optional<GnomeKeySender::Kind> GnomeKeySender::available() {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    if (!bus) return std::nullopt;
    if (bus->isServiceRegistered(kMutterService)) return Kind::Mutter;
    // Other desktops offer the portal too, but type by ways of their own.
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (!desktop || !std::strstr(desktop, "GNOME")) return std::nullopt;
    const QDBusMessage version = call(kPortalService, kPortalPath, "org.freedesktop.DBus.Properties", "Get",
                                      {QString(kPortalInterface), QString("version")});
    if (version.type() == QDBusMessage::ReplyMessage) return Kind::Portal;
    return std::nullopt;
}

bool GnomeKeySender::open() {
    if (session_) return connection_->roundtrip(); // takes a layout switched since
    if (kind_ == Kind::Mutter) session_ = std::make_unique<MutterSession>();
    else session_ = std::make_unique<PortalSession>(restoreToken_);
    const bool started = session_->start();
    if (!session_->path.isEmpty())
        QDBusConnection::sessionBus().connect(session_->service, session_->path, session_->interface, "Closed", this,
                                              SLOT(sessionClosed()));
    // A seat without a keyboard (no keyboard plugged in) gets one with the
    // session's first key, and each window hears of that keyboard only
    // then: a first key that mattered would be lost. A lone Shift goes first,
    // and the windows are given time to take the new keyboard.
    connection_ = Connection::open();
    if (connection_) seat_ = std::make_unique<SeatLayout>(*connection_);
    const bool hadKeyboard = connection_ && connection_->roundtrip() && seat_->hasKeyboard();
    if (!started || !seat_ || !session_->key(kHarmlessKey, true, true) || !session_->key(kHarmlessKey, false, true)) {
        stop();
        return false;
    }
    for (int tries = 0; tries < 50 && connection_->roundtrip() && !(seat_->layout() && seat_->hasKeyboard()); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!hadKeyboard) std::this_thread::sleep_for(std::chrono::milliseconds(kNewKeyboardMilliseconds));
    if (!seat_->layout()) {
        stop();
        return false;
    }
    return true;
}

void GnomeKeySender::stop() {
    idle_.stop();
    seat_.reset();
    connection_.reset();
    if (!session_) return;
    QDBusConnection::sessionBus().disconnect(session_->service, session_->path, session_->interface, "Closed", this,
                                             SLOT(sessionClosed()));
    session_->stop();
    session_.reset();
}

// Closed also comes when the desktop ends the session itself; within a run
// of typing, that line fails, and the next one opens a new session.
void GnomeKeySender::sessionClosed() {
    if (!session_) return;
    endedByUser_ = idle_.isActive();
    stop();
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
    // Presses go out without waiting; the last event of a stroke waits for
    // the desktop's answer, which keeps the pace to what it has handled.
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        const std::optional<std::vector<xkb_keycode_t>> keys = seat_->layout()->keysFor(strokes[i]);
        if (!keys) {
            result.notTyped += keyText(strokes[i]);
            continue;
        }
        bool ok = true;
        for (xkb_keycode_t kc : *keys) ok = ok && session_->key(kc - 8, true, false);
        for (auto it = keys->rbegin(); it != keys->rend(); ++it)
            ok = ok && session_->key(*it - 8, false, it + 1 == keys->rend());
        if (!ok) {
            // The session has gone (the user stopped it): this stroke and the
            // rest are not typed.
            stop();
            result.notTyped += noneTyped(strokes.subspan(i)).notTyped;
            result.ended = true;
            return result;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(kKeyDelayMicroseconds));
    }
    idle_.start();
    return result;
}

} // namespace wendrel::wayland

#include "GnomeKeys.moc"
