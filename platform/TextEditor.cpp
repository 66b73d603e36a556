#include "platform/TextEditor.h"

#include "platform/DataFolder.h"
#include "platform/ProgramEnvironment.h"
#include "script/CommandLine.h"
#include "store/DesktopEntry.h"

#include <cstdlib>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>

namespace wendrel {

namespace {

struct Command {
    QString program; // a full path
    QStringList arguments;
};

QStringList words(const QString& line) {
    QStringList out;
    if (const auto split = splitCommandLine(line.toStdString()))
        for (const std::string& w : *split) out << QString::fromStdString(w);
    return out;
}

// A program named as on a command line: a path as it is, a bare name on PATH.
QString executable(const QString& name) {
    if (!name.contains('/')) return QStandardPaths::findExecutable(name);
    const QFileInfo file(name);
    return file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString();
}

// Editors that need a terminal (emacs only when told to stay in it).
bool isTerminalEditor(const QStringList& command) {
    static const QStringList known = {"vi",    "vim",  "nvim",  "vim.basic", "vim.tiny", "nano", "pico",
                                      "micro", "joe",  "jstar", "ne",        "mg",       "ed",   "ex",
                                      "kak",   "hx",   "helix", "mcedit",    "jed",      "vis",  "elvis",
                                      "jove",  "zile", "dte",   "amp"};
    const QString name = QFileInfo(command.first()).fileName();
    if (name == "emacs") return command.contains("-nw") || command.contains("--no-window-system");
    return known.contains(name);
}

// The command run in the first terminal emulator found; none: nothing.
std::optional<Command> inTerminal(const Command& editor) {
    static const char* const terminals[][2] = {{"x-terminal-emulator", "-e"},
                                               {"gnome-terminal", "--"},
                                               {"konsole", "-e"},
                                               {"xfce4-terminal", "-x"},
                                               {"xterm", "-e"}};
    for (const auto& [name, runFlag] : terminals) {
        const QString terminal = QStandardPaths::findExecutable(name);
        if (terminal.isEmpty()) continue;
        return Command{terminal, QStringList{runFlag, editor.program} + editor.arguments};
    }
    return std::nullopt;
}

// An editor's command line (the file in it), in a terminal if it needs one.
std::optional<Command> editorCommand(const QStringList& command, bool needsTerminal) {
    const QString program = command.isEmpty() ? QString() : executable(command.first());
    if (program.isEmpty()) return std::nullopt;
    const Command editor{program, command.mid(1)};
    if (needsTerminal || isTerminalEditor(command)) return inTerminal(editor);
    return editor;
}

// The editor a variable names, with the file added.
std::optional<Command> fromVariable(const char* name, const QString& path) {
    const QStringList command = words(qEnvironmentVariable(name));
    if (command.isEmpty()) return std::nullopt;
    return editorCommand(command + QStringList{path}, false);
}

// The Exec line's words with the field codes replaced: %f %F %u %U by the
// file, %% by %, the others dropped. A line without a file code gets the
// file at its end.
QStringList withFile(const QStringList& exec, const QString& path) {
    QStringList out;
    bool fileGiven = false;
    for (const QString& word : exec) {
        QString w;
        bool codeOnly = !word.isEmpty();
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word[i] != '%' || i + 1 == word.size()) {
                w += word[i];
                codeOnly = false;
                continue;
            }
            const QChar code = word[++i];
            if (code == '%') w += '%';
            else if (QString("fFuU").contains(code) && !fileGiven) {
                w += path;
                fileGiven = true;
            }
        }
        if (!(codeOnly && w.isEmpty())) out << w;
    }
    if (!fileGiven) out << path;
    return out;
}

// Where a desktop entry of that name is installed: the user's applications
// before the system's.
QString desktopEntryPath(const QString& id) {
    const QString home = QString::fromStdString(userDataHome(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty()) dirs = "/usr/local/share:/usr/share";
    for (const QString& dir : QStringList{home} + dirs.split(':', Qt::SkipEmptyParts)) {
        const QString file = dir + "/applications/" + id;
        if (QFileInfo::exists(file)) return file;
    }
    return {};
}

// The desktop's default application for plain text, from its desktop entry.
std::optional<Command> defaultApplication(const QString& path) {
    const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
    if (xdgMime.isEmpty()) return std::nullopt;
    QProcess query;
    query.start(xdgMime, {"query", "default", "text/plain"});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished();
        return std::nullopt;
    }
    const QString id = QString::fromLocal8Bit(query.readAllStandardOutput()).section('\n', 0, 0).trimmed();
    QFile entry(id.isEmpty() ? QString() : desktopEntryPath(id));
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
    QString exec;
    bool terminal = false;
    bool inMainGroup = false;
    QTextStream in(&entry);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith('[')) inMainGroup = line == "[Desktop Entry]";
        else if (inMainGroup && line.startsWith("Exec=")) exec = line.mid(5);
        else if (inMainGroup && line.startsWith("Terminal=")) terminal = line.mid(9).trimmed() == "true";
    }
    // The value's own escapes come first, then the line is split into words.
    const QStringList command = words(QString::fromStdString(DesktopEntry::unescapeValue(exec.toStdString())));
    if (command.isEmpty()) return std::nullopt;
    return editorCommand(withFile(command, path), terminal);
}

// Starts the command (if any) with the environment (none: this process's),
// adding its name to those tried.
std::optional<double> start(const std::optional<Command>& command, const ProgramEnvironment* environment,
                            QStringList& tried) {
    if (!command) return std::nullopt;
    tried << QFileInfo(command->program).fileName();
    // The path is one argument and no shell sees it, so blanks and shell
    // characters in it stay as they are.
    QProcess process;
    process.setProgram(command->program);
    process.setArguments(command->arguments);
    if (environment) {
        QStringList entries;
        for (const std::string& e : environment->entries()) entries << QString::fromStdString(e);
        process.setEnvironment(entries);
    }
    qint64 pid = 0;
    if (!process.startDetached(&pid)) return std::nullopt;
    return static_cast<double>(pid);
}

} // namespace

DesktopTextEditor::DesktopTextEditor()
    : DesktopTextEditor({"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma", "xed", "featherpad",
                         "leafpad", "geany", "xdg-open"}) {}

DesktopTextEditor::DesktopTextEditor(std::vector<std::string> candidates) : candidates_(std::move(candidates)) {}

std::optional<double> DesktopTextEditor::open(const std::string& path, std::string& failure) {
    const QString file = QString::fromStdString(path);
    QStringList tried;
    // Each source is asked only when the ones before it started nothing.
    const std::function<std::optional<Command>()> sources[] = {[&] { return fromVariable("VISUAL", file); },
                                                               [&] { return fromVariable("EDITOR", file); },
                                                               [&] { return defaultApplication(file); }};
    for (const auto& source : sources)
        if (const auto pid = start(source(), environment_, tried)) return pid;
    for (const std::string& name : candidates_) {
        const QString program = QStandardPaths::findExecutable(QString::fromStdString(name));
        if (program.isEmpty()) continue;
        if (const auto pid = start(Command{program, {file}}, environment_, tried)) return pid;
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
