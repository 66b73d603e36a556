#include "platform/TextEditor.h"

#include "platform/ProgramEnvironment.h"

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
        QProcess process;
        process.setProgram(program);
        process.setArguments({QString::fromStdString(path)});
        if (environment_) {
            QStringList entries;
            for (const std::string& e : environment_->entries()) entries << QString::fromStdString(e);
            process.setEnvironment(entries);
        }
        qint64 pid = 0;
        if (process.startDetached(&pid)) return static_cast<double>(pid);
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
