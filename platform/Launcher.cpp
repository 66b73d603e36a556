#include "platform/Launcher.h"

#include <QProcess>
#include <QStringList>

namespace wendrel {

std::optional<double> DetachedLauncher::start(const std::string& commandLine) {
    QStringList words = QProcess::splitCommand(QString::fromStdString(commandLine));
    if (words.isEmpty()) return std::nullopt;
    const QString program = words.takeFirst();
    qint64 pid = 0;
    if (!QProcess::startDetached(program, words, QString(), &pid) || pid <= 0) return std::nullopt;
    return static_cast<double>(pid);
}

} // namespace wendrel
