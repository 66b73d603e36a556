#include "platform/SessionLock.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QFileInfo>

#include <algorithm>
#include <unistd.h>

namespace wendrel {

namespace {
// A service that takes longer to answer is taken as saying "not locked".
constexpr int kAnswerMs = 1000;
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kLogind = QStringLiteral("org.freedesktop.login1");

QDBusMessage callOf(const QString& service, const QString& path, const QString& interface, const QString& method,
                    const QVariantList& arguments = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, method);
    m.setArguments(arguments);
    // Asking must not start a service that is not running.
    m.setAutoStartService(false);
    return m;
}

// The session bus where one runs: libdbus would otherwise start a bus of its
// own for this process (X11 autolaunch), which no locker talks to.
QDBusConnection runningSessionBus() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        (runtime.isEmpty() || !QFileInfo::exists(runtime + "/bus")))
        return QDBusConnection(QStringLiteral("wendrel-no-session-bus")); // not connected
    return QDBusConnection::sessionBus();
}

// logind's object of the session this process belongs to; empty when it is
// in none (started by a service manager, or no logind).
QString logindSessionPath(QDBusConnection& bus) {
    const QString manager = QStringLiteral("org.freedesktop.login1.Manager");
    const QString root = QStringLiteral("/org/freedesktop/login1");
    QDBusMessage r =
        bus.call(callOf(kLogind, root, manager, "GetSessionByPID", {quint32(::getpid())}), QDBus::Block, kAnswerMs);
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (r.type() != QDBusMessage::ReplyMessage && !id.isEmpty())
        r = bus.call(callOf(kLogind, root, manager, "GetSession", {id}), QDBus::Block, kAnswerMs);
    if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty()) return {};
    return qvariant_cast<QDBusObjectPath>(r.arguments().first()).path();
}
} // namespace

// One service's word on the lock: asked when it starts (and when the service
// appears), then kept up to date by its signals.
class LockSource : public QObject {
    Q_OBJECT
public:
    // property empty: the screen saver interface (GetActive, ActiveChanged);
    // else that boolean property, followed through PropertiesChanged.
    LockSource(QDBusConnection bus, QString service, QString path, QString interface, QString property = {})
        : bus_(bus),
          service_(std::move(service)),
          path_(std::move(path)),
          interface_(std::move(interface)),
          property_(std::move(property)),
          watcher_(service_, bus_, QDBusServiceWatcher::WatchForOwnerChange) {
        // The slots' signatures as Qt writes them, without blanks.
        // clang-format off
        if (property_.isEmpty())
            bus_.connect(service_, path_, interface_, "ActiveChanged", this, SLOT(onActiveChanged(bool)));
        else
            bus_.connect(service_, path_, kProperties, "PropertiesChanged", this,
                         SLOT(onPropertiesChanged(QString,QVariantMap,QStringList)));
        // clang-format on
        connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, &LockSource::ask);
        connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] { locked_ = false; });
        ask();
    }
    bool locked() const { return locked_; }

public slots:
    void onActiveChanged(bool active) { locked_ = active; }
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated) {
        if (interface != interface_) return;
        if (changed.contains(property_)) locked_ = changed.value(property_).toBool();
        else if (invalidated.contains(property_)) ask();
    }

private:
    void ask() {
        const QDBusMessage r =
            property_.isEmpty() ? bus_.call(callOf(service_, path_, interface_, "GetActive"), QDBus::Block, kAnswerMs)
                                : bus_.call(callOf(service_, path_, kProperties, "Get", {interface_, property_}),
                                            QDBus::Block, kAnswerMs);
        QVariant answer = r.type() == QDBusMessage::ReplyMessage && !r.arguments().isEmpty() ? r.arguments().first()
                                                                                             : QVariant(false);
        if (answer.canConvert<QDBusVariant>()) answer = qvariant_cast<QDBusVariant>(answer).variant();
        locked_ = answer.toBool();
    }

    QDBusConnection bus_;
    QString service_, path_, interface_, property_;
    QDBusServiceWatcher watcher_;
    bool locked_ = false;
};

DBusSessionLock::DBusSessionLock(QObject* parent) : QObject(parent) {}
DBusSessionLock::~DBusSessionLock() = default;

bool DBusSessionLock::locked() {
    if (!started_) start();
    return std::any_of(sources_.begin(), sources_.end(), [](const auto& s) { return s->locked(); });
}

// Nothing is asked before the first TYPE: most runs never need it.
void DBusSessionLock::start() {
    started_ = true;
    QDBusConnection session = runningSessionBus();
    if (session.isConnected()) {
        for (const char* desktop : {"freedesktop", "gnome"}) {
            const QString name = QString("org.%1.ScreenSaver").arg(desktop);
            sources_.push_back(
                std::make_unique<LockSource>(session, name, QString("/org/%1/ScreenSaver").arg(desktop), name));
        }
    }
    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected()) return;
    const QString path = logindSessionPath(system);
    if (!path.isEmpty())
        sources_.push_back(std::make_unique<LockSource>(system, kLogind, path,
                                                        QStringLiteral("org.freedesktop.login1.Session"),
                                                        "LockedHint"));
}

} // namespace wendrel

#include "SessionLock.moc"
