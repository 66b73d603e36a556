#include "platform/DBusControl.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QFileInfo>

namespace wendrel {

namespace {
const QString kService = QStringLiteral("io.github.wendrel.Wendrel");
const QString kPath = QStringLiteral("/io/github/wendrel/Wendrel");

// Whether a session bus is there to be reached. Asking for one where none
// is would have the bus library start one of its own for this display.
bool sessionBusExists() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + "/bus").exists();
}

QString errorName(ReplyStatus status) {
    switch (status) {
        case ReplyStatus::NoSuchTask:
            return kService + ".Error.NoSuchTask";
        case ReplyStatus::Ambiguous:
            return kService + ".Error.Ambiguous";
        case ReplyStatus::NotStarted:
            return kService + ".Error.NotStarted";
        default:
            return kService + ".Error.Failed";
    }
}
} // namespace

DBusControl::DBusControl(const Session& session, Answer answer, QObject* parent)
    : QObject(parent), session_(session), answer_(std::move(answer)) {
    qDBusRegisterMetaType<QList<QVariantMap>>();
}

QString DBusControl::publish() {
    if (!sessionBusExists()) return {};
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return "No D-Bus interface: " + bus.lastError().message();
    if (!bus.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots))
        return "No D-Bus interface: cannot register " + kPath;
    // Another Wendrel, on another folder, may hold the name: this one is then
    // reached by its own connection's name only.
    if (!bus.registerService(kService)) return "The D-Bus name " + kService + " is taken: " + bus.lastError().message();
    return {};
}

QList<QVariantMap> DBusControl::List() {
    QList<QVariantMap> tasks;
    for (const ListedTask& t : listedTasks(session_)) {
        tasks.append({{"position", t.position},
                      {"name", QString::fromStdString(t.name)},
                      {"interval", QString::fromStdString(t.interval)},
                      {"active", t.isActive},
                      {"nextStart",
                       t.status.nextStart ? QString::fromStdString(dateTimeText(*t.status.nextStart, 'T')) : QString()},
                      {"lastOutcome", QString::fromStdString(outcomeText(t.status.lastOutcome))}});
    }
    return tasks;
}

void DBusControl::Run(const QString& task) { perform(Command::Run, task); }
void DBusControl::Enable(const QString& task) { perform(Command::Enable, task); }
void DBusControl::Disable(const QString& task) { perform(Command::Disable, task); }
void DBusControl::Show() { perform(Command::Show, {}); }

void DBusControl::perform(Command command, const QString& task) {
    const CommandResult result = answer_({command, task.toStdString()});
    if (result.reply.status != ReplyStatus::Ok && calledFromDBus())
        sendErrorReply(errorName(result.reply.status), QString::fromStdString(result.reply.text));
}

} // namespace wendrel
