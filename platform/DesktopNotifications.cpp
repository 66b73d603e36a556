#include "platform/DesktopNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QVariantMap>

namespace wendrel {

namespace {
const char* const kService = "org.freedesktop.Notifications";
const char* const kPath = "/org/freedesktop/Notifications";
const char* const kInterface = "org.freedesktop.Notifications";
const char* const kDefaultAction = "default";

// Servers may read the body as markup: the characters of markup are escaped.
QString plainBody(const std::string& text) {
    QString body = QString::fromStdString(text);
    body.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
    return body;
}

// Without an address, the bus library would start a bus of its own
// ("autolaunch"): only a bus that is already there is used.
bool sessionBusIsThere() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + "/bus");
}
} // namespace

DesktopNotifications::DesktopNotifications(QObject* parent) : QObject(parent) {}

DesktopNotifications::DesktopNotifications(const QDBusConnection& bus, QObject* parent) : QObject(parent), bus_(bus) {}

bool DesktopNotifications::connectToBus() {
    if (!triedBus_) {
        triedBus_ = true;
        if (!bus_ && sessionBusIsThere()) bus_ = QDBusConnection::sessionBus();
        // Any sender: naming the service would make Qt look up its owner, a
        // call that waits for the bus.
        if (bus_ && bus_->isConnected()) {
            bus_->connect({}, kPath, kInterface, "ActionInvoked", this, SLOT(onActionInvoked(uint, QString)));
            bus_->connect({}, kPath, kInterface, "NotificationClosed", this, SLOT(onClosed(uint, uint)));
        }
    }
    return bus_ && bus_->isConnected();
}

void DesktopNotifications::notify(const FailureNotice& notice) {
    if (!connectToBus()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
    const QVariantMap hints{{"desktop-entry", QString("io.github.wendrel.Wendrel")},
                            {"urgency", QVariant::fromValue<uchar>(1)}};
    call << QString("Wendrel") << 0u << QString("io.github.wendrel.Wendrel") << QString::fromStdString(notice.summary)
         << plainBody(notice.body) << QStringList{kDefaultAction, "Show Run History"} << hints << -1;
    // The id comes later; a notice whose service never answers is forgotten
    // with its watcher.
    auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, task = notice.task](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        if (!reply.isError()) remember(reply.value(), task);
        w->deleteLater();
    });
}

void DesktopNotifications::remember(uint id, const std::string& task) {
    tasks_[id] = task;
    // Ids grow: the oldest notices go first.
    while (tasks_.size() > kRemembered) tasks_.erase(tasks_.begin());
}

void DesktopNotifications::onActionInvoked(uint id, const QString& action) {
    const auto it = tasks_.find(id);
    if (it == tasks_.end() || action != kDefaultAction) return;
    const std::string task = it->second;
    if (handler_) handler_(task);
}

void DesktopNotifications::onClosed(uint id, uint) { tasks_.erase(id); }

} // namespace wendrel
