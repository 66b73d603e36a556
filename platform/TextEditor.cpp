#include "platform/TextEditor.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace wendrel {

DesktopTextEditor::DesktopTextEditor()
    : DesktopTextEditor({"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma", "xed", "featherpad",
                         "leafpad", "geany", "xdg-open"}) {}

DesktopTextEditor::DesktopTextEditor(std::vector<std::string> candidates) : candidates_(std::move(candidates)) {}

std::optional<double> DesktopTextEditor::open(const std::string& path, std::string& failure) {
    QStringList tried;
    for (const std::string& name : candidates_) {
        const QString program = QStandardPaths::findExecutable(QString::fromStdString(name));
        if (program.isEmpty()) continue;
        tried << QString::fromStdString(name);
        // The path is one argument and no shell sees it, so blanks and shell
        // characters in it stay as they are.
        qint64 pid = 0;
        if (QProcess::startDetached(program, {QString::fromStdString(path)}, QString(), &pid))
            return static_cast<double>(pid);
    }
    if (tried.isEmpty())
        failure = "No text editor was found to open " + path +
                  ". Install one (for example gedit, kate or mousepad) "
                  "or edit the file with an editor of your choice.";
    else
        failure =
            "No text editor could be started to open " + path + " (tried " + tried.join(", ").toStdString() + ").";
    return std::nullopt;
}

} // namespace wendrel
