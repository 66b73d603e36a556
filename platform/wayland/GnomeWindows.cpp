#include "platform/wayland/GnomeWindows.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <unistd.h>

#include <cstdlib>

#include "platform/DataFolder.h"

// The extension's files, compiled into the program for a copy that is not
// installed.
static void loadExtensionFiles() { Q_INIT_RESOURCE(gnome_extension); }

namespace wendrel::wayland {

namespace {
const char* const kShellService = "org.gnome.Shell";
const char* const kObjectPath = "/io/github/wendrel/Windows";
const char* const kInterface = "io.github.wendrel.Windows";
constexpr int kCallTimeoutMilliseconds = 1000;

const char* const kNotRunningNotice =
    "Wendrel's GNOME Shell extension is not running yet, so keys go to whichever window has the focus. Log out and "
    "back in once (and leave the extension switched on) to let Wendrel bring its programs' windows to the front.";
const char* const kTooNewNotice =
    "Wendrel's GNOME Shell extension runs on GNOME Shell 43 and 44 only, so keys go to whichever window has the "
    "focus, and Wendrel cannot bring its programs' windows to the front.";
// The newest shell the extension is written for: later ones load extensions
// as modules of another form.
constexpr int kNewestShell = 44;

// The major version of the running shell; 0 when it does not say.
int shellMajorVersion() {
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(kShellService, "/org/gnome/Shell",
                                                                          "org.freedesktop.DBus.Properties", "Get")
                                               << QString("org.gnome.Shell") << QString("ShellVersion"),
                                           QDBus::Block, kCallTimeoutMilliseconds);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
    return reply.arguments().first().value<QDBusVariant>().variant().toString().section('.', 0, 0).toInt();
}

// Whether a data folder of the system (where GNOME Shell looks for installed
// extensions) holds the extension.
bool installedForEveryone() {
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const QStringList folders =
        QString::fromLocal8Bit(dirs && *dirs ? dirs : "/usr/local/share:/usr/share").split(':', Qt::SkipEmptyParts);
    for (const QString& folder : folders)
        if (QFile::exists(folder + "/gnome-shell/extensions/" + kGnomeExtensionUuid + "/metadata.json")) return true;
    return false;
}

// Writes the extension's files into the user's data folder where they differ.
std::string writeUserCopy() {
    loadExtensionFiles();
    const std::string home = userDataHome(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (home.empty()) return "no home folder";
    const QString folder = QString::fromStdString(home) + "/gnome-shell/extensions/" + kGnomeExtensionUuid;
    if (!QDir().mkpath(folder)) return "cannot make " + folder.toStdString();
    for (const char* name : {"metadata.json", "extension.js"}) {
        QFile source(QString(":/gnome-shell/") + kGnomeExtensionUuid + "/" + name), target(folder + "/" + name);
        if (!source.open(QIODevice::ReadOnly)) return std::string("no ") + name + " built in";
        const QByteArray text = source.readAll();
        if (target.open(QIODevice::ReadOnly) && target.readAll() == text) continue;
        target.close();
        if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate) || target.write(text) != text.size())
            return "cannot write " + target.fileName().toStdString();
    }
    return {};
}

std::optional<QString> gsettings(const QStringList& args) {
    QProcess p;
    p.start("gsettings", args);
    if (!p.waitForFinished(5000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Adds the extension to the shell's list of enabled ones, unless the user
// has switched it off (the shell then lists it as disabled).
std::string enableExtension() {
    const QString quoted = QString("'") + kGnomeExtensionUuid + "'";
    const std::optional<QString> enabled = gsettings({"get", "org.gnome.shell", "enabled-extensions"});
    const std::optional<QString> disabled = gsettings({"get", "org.gnome.shell", "disabled-extensions"});
    if (!enabled || !disabled) return "the GNOME Shell settings cannot be read";
    if (enabled->contains(quoted) || disabled->contains(quoted)) return {};
    // The list as GVariant text: "@as []" when empty, else "['a', 'b']".
    QString list = enabled->startsWith("@as") ? QString("[]") : *enabled;
    list.insert(list.lastIndexOf(']'), (list == "[]" ? "" : ", ") + quoted);
    if (!gsettings({"set", "org.gnome.shell", "enabled-extensions", list}))
        return "the GNOME Shell settings cannot be changed";
    return {};
}
} // namespace

std::string prepareGnomeExtension() {
    if (!installedForEveryone())
        if (std::string failure = writeUserCopy(); !failure.empty()) return failure;
    return enableExtension();
}

std::optional<unsigned> GnomeWindowActivator::ask(const char* method, const QVariantList& args) {
    QDBusMessage m = QDBusMessage::createMethodCall(kShellService, kObjectPath, kInterface, method);
    m.setArguments(args);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(m, QDBus::Block, kCallTimeoutMilliseconds);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        if (!missing_.told()) missing_(shellMajorVersion() > kNewestShell ? kTooNewNotice : kNotRunningNotice);
        return std::nullopt;
    }
    return reply.arguments().first().toUInt();
}

ActivateResult GnomeWindowActivator::activate(double taskId, std::string&) {
    const std::set<int> family = livingProcesses(programs_, taskId);
    if (family.empty()) return ActivateResult::NoSuchWindow;
    // The shell has moved the focus by the time it answers, so keys that
    // follow cannot overtake it.
    ask("Activate", {QVariant::fromValue(QList<uint>(family.begin(), family.end()))});
    return ActivateResult::Ok;
}

bool GnomeWindowActivator::activeWindowIsOurs() {
    const std::optional<unsigned> pid = ask("FocusedPid");
    return pid ? *pid == static_cast<unsigned>(::getpid()) : toolkitWindowActive();
}

} // namespace wendrel::wayland
