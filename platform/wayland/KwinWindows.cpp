#include "platform/wayland/KwinWindows.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include <unistd.h>

namespace wendrel::wayland {

namespace {

const char* const kService = "org.kde.KWin";
const char* const kPluginName = "wendrel-activate";
const char* const kReportPath = "/ActiveWindowReport";
const char* const kReportInterface = "org.wendrel.ActiveWindowReport";

QDBusMessage call(const QString& path, const QString& interface, const QString& method, const QVariantList& args) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, interface, method);
    m.setArguments(args);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, 2000);
}

} // namespace

// Takes the reports of our scripts: the number of the script and the process
// id of the window KWin has active (0 for none). KWin's scripts can call out
// on the bus but not return a value to the one who runs them. The reports
// come in on a thread of their own, so that waiting for one handles no other
// event of the program meanwhile.
class KwinWindowActivator::Receiver : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != kReportInterface || message.member() != "report") return false;
        const QVariantList args = message.arguments();
        if (args.size() == 2) {
            std::lock_guard lock(mutex_);
            lastScript_ = static_cast<int>(args[0].toDouble());
            lastPid_ = static_cast<int>(args[1].toDouble());
            reported_.notify_all();
        }
        if (message.isReplyRequired()) connection.send(message.createReply());
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

    // The process id the script with this number reported, if it does so in time.
    std::optional<int> awaitReport(int script, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        if (!reported_.wait_for(lock, timeout, [&] { return lastScript_ == script; })) return std::nullopt;
        return lastPid_;
    }

private:
    std::mutex mutex_;
    std::condition_variable reported_;
    int lastScript_ = 0, lastPid_ = 0;
};

KwinWindowActivator::KwinWindowActivator(ProgramProcesses& programs)
    : programs_(programs), receiver_(std::make_unique<Receiver>()) {
    receiverThread_.start();
    receiver_->moveToThread(&receiverThread_);
    QDBusConnection::sessionBus().registerVirtualObject(kReportPath, receiver_.get());
}

KwinWindowActivator::~KwinWindowActivator() {
    QDBusConnection::sessionBus().unregisterObject(kReportPath);
    receiverThread_.quit();
    receiverThread_.wait();
}

std::optional<int> KwinWindowActivator::runScript(const QString& body) {
    static int scripts = 0;
    const int number = ++scripts;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // KWin 6 renamed activeClient and clientList to activeWindow and
    // windowList; the script speaks to both.
    const QString script = "const windows = () => workspace.windowList ? workspace.windowList() : "
                           "workspace.clientList();\n"
                           "const activeWindow = () => workspace.activeWindow || workspace.activeClient;\n"
                           "const activate = (w) => { if (workspace.windowList) workspace.activeWindow = w; "
                           "else workspace.activeClient = w; };\n"
                           "(function () {\n" +
                           body +
                           "})();\n"
                           "callDBus(\"" +
                           bus.baseService() + "\", \"" + kReportPath + "\", \"" + kReportInterface +
                           "\", \"report\", " + QString::number(number) +
                           ", activeWindow() ? activeWindow().pid : 0);\n";
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    const QString path = folder + "/wendrel-kwin-" + QString::number(getpid()) + ".js";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(script.toUtf8()) < 0) return {};
    file.close();

    std::optional<int> pid;
    const QDBusMessage loaded =
        call("/Scripting", "org.kde.kwin.Scripting", "loadScript", {path, QString(kPluginName)});
    if (loaded.type() == QDBusMessage::ReplyMessage && !loaded.arguments().isEmpty()) {
        const int id = loaded.arguments().first().toInt();
        // KWin 5 names a script's object /<id>, later versions /Scripting/Script<id>.
        const QDBusMessage ran = call("/" + QString::number(id), "org.kde.kwin.Script", "run", {});
        if (ran.type() != QDBusMessage::ReplyMessage)
            call("/Scripting/Script" + QString::number(id), "org.kde.kwin.Script", "run", {});
        // KWin reads and runs the script after answering.
        pid = receiver_->awaitReport(number, std::chrono::milliseconds(kReportWaitMilliseconds));
    }
    call("/Scripting", "org.kde.kwin.Scripting", "unloadScript", {QString(kPluginName)});
    QFile::remove(path);
    return pid;
}

ActivateResult KwinWindowActivator::activate(double taskId, std::string&) {
    const std::set<int> family = livingProcesses(programs_, taskId);
    if (family.empty()) return ActivateResult::NoSuchWindow;

    // A window of the family that is active already stays so; otherwise the
    // first normal one is brought forward. The focus has moved by the time
    // the script reports, so keys that follow cannot overtake it.
    QString pids;
    for (int p : family) pids += (pids.isEmpty() ? "" : ",") + QString::number(p);
    runScript("  const family = [" + pids +
              "];\n"
              "  const active = activeWindow();\n"
              "  if (active && family.includes(active.pid)) return;\n"
              "  for (const c of windows()) {\n"
              "    if (!c.normalWindow || !family.includes(c.pid)) continue;\n"
              "    if (c.minimized) c.minimized = false;\n"
              "    activate(c);\n"
              "    return;\n"
              "  }\n");
    return ActivateResult::Ok;
}

bool KwinWindowActivator::activeWindowIsOurs() {
    // A KWin that never reports (its scripts cannot call out) is not asked
    // again and again, each time waiting in vain.
    if (missedReports_ >= kMissedReportsBeforeGivingUp) return toolkitWindowActive();
    const std::optional<int> pid = runScript({});
    missedReports_ = pid ? 0 : missedReports_ + 1;
    return pid ? *pid == getpid() : toolkitWindowActive();
}

} // namespace wendrel::wayland
