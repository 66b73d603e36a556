#include "platform/wayland/KwinWindows.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <chrono>
#include <climits>
#include <thread>
#include <unistd.h>

namespace wendrel::wayland {

namespace {

const char* const Service = "org.kde.KWin";
const char* const PluginName = "wendrel-activate";

QDBusMessage call(const QString& path, const QString& interface, const QString& method, const QVariantList& args) {
    QDBusMessage m = QDBusMessage::createMethodCall(Service, path, interface, method);
    m.setArguments(args);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, 2000);
}

} // namespace

KwinWindowActivator::~KwinWindowActivator() { unloadScript(); }

void KwinWindowActivator::unloadScript() {
    if (scriptPath_.empty()) return;
    call("/Scripting", "org.kde.kwin.Scripting", "unloadScript", {QString(PluginName)});
    QFile::remove(QString::fromStdString(scriptPath_));
    scriptPath_.clear();
}

ActivateResult KwinWindowActivator::activate(double taskId, std::string&) {
    if (!(taskId >= 1 && taskId <= INT_MAX)) return ActivateResult::NoSuchWindow;
    const int pid = static_cast<int>(taskId);
    const std::set<int> family = families_.try_emplace(pid, pid).first->second.living();
    if (family.empty()) {
        families_.erase(pid);
        return ActivateResult::NoSuchWindow;
    }

    // A window of the family that is active already stays so; otherwise the
    // first normal one is brought forward.
    QString pids;
    for (int p : family) pids += (pids.isEmpty() ? "" : ",") + QString::number(p);
    const QString script = "(function () {\n"
                           "  const family = [" +
                           pids +
                           "];\n"
                           "  const active = workspace.activeClient;\n"
                           "  if (active && family.includes(active.pid)) return;\n"
                           "  for (const c of workspace.clientList()) {\n"
                           "    if (!c.normalWindow || !family.includes(c.pid)) continue;\n"
                           "    if (c.minimized) c.minimized = false;\n"
                           "    workspace.activeClient = c;\n"
                           "    return;\n"
                           "  }\n"
                           "})();\n";
    unloadScript();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    const QString path = folder + "/wendrel-activate-" + QString::number(getpid()) + ".js";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(script.toUtf8()) < 0)
        return ActivateResult::Ok;
    file.close();
    scriptPath_ = path.toStdString();

    const QDBusMessage loaded = call("/Scripting", "org.kde.kwin.Scripting", "loadScript", {path, QString(PluginName)});
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().isEmpty()) return ActivateResult::Ok;
    const int id = loaded.arguments().first().toInt();
    // KWin 5 names a script's object /<id>, later versions /Scripting/Script<id>.
    const QDBusMessage ran = call("/" + QString::number(id), "org.kde.kwin.Script", "run", {});
    if (ran.type() != QDBusMessage::ReplyMessage)
        call("/Scripting/Script" + QString::number(id), "org.kde.kwin.Script", "run", {});
    // KWin hands the focus over right away, but keys of a TYPE line that
    // follows must not overtake it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return ActivateResult::Ok;
}

} // namespace wendrel::wayland
