#include "script/ScriptEngine.h"

#include <algorithm>
#include <span>
#include <sys/stat.h>

#include "model/AsciiCase.h"
#include "model/Cp1252.h"
#include "model/Fields.h"
#include "model/TextFile.h"
#include "script/SendKeys.h"
#include "store/ScriptFiles.h"

namespace wendrel {

namespace {
// Longer lines are cut; no useful command comes near this.
constexpr std::size_t kMaxScriptLine = 1 << 20;
// While a script file is being read, events are processed after every so many
// bytes: a few milliseconds of reading and running lines.
constexpr std::size_t kReadingPumpBytes = 256 * 1024;

bool isOneOf(const std::string& word, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return word == n; });
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}
} // namespace

void ScriptEngine::RunScript(int index) {
    if (stopping_) return;
    // A never-written name holds code-0 characters: it names no file.
    const std::string name = g_.slot(index).ScriptFile.shown();

    logRun(index, RunEventKind::Started);
    // Scripts live in the program's folder and nowhere else: a name that
    // would lead out of it (a hand-edited task list) is refused like a
    // missing file, saying why. An empty name names no file: its run ends
    // below, as for any path that is no readable file.
    if (const auto problem = name.empty() ? std::nullopt : scriptNameProblem(name)) {
        markMissing(index);
        env_.messages.show(*problem + " Task Aborted" + whoseScript(index, name), "Script File Missing.",
                           MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    const std::string path = joinPath(folder_, name);
    if (!pathExists(path)) {
        markMissing(index);
        env_.messages.show("Script File does not exist. Task Aborted" + whoseScript(index, path),
                           "Script File Missing.", MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    g_.slot(index).ScriptMissing = false;

    {
        // Each run reads through a reader of its own, so nested runs never
        // disturb each other. A path that is no readable file (the folder
        // itself, for an empty name) ends the run at once. The file is read a
        // line at a time, and events are processed now and then while reading
        // (also inside one long line), so a huge file never blocks the program.
        LineReader in(path, kMaxScriptLine);
        in.onProgress(kReadingPumpBytes, [this] { env_.pump.processEvents(0); });
        if (!in.isOpen()) {
            logRun(index, RunEventKind::ScriptUnreadable);
            if (!name.empty() && refused_)
                refused_("The script \"" + name + "\" was not run: " + in.whyNotOpen() + ".");
        }
        std::string line;
        while (!stopping_ && in.isOpen() && in.next(line)) {
            // A code-0 byte ends the line: what follows it up to the line end
            // is no part of the command.
            line.erase(std::find(line.begin(), line.end(), '\0'), line.end());
            runLine(index, lineToUtf8(line));
        }
    }
    g_.slot(index).Running = 0;
    // Leaving cuts the script short, also in its last line (a wait, typing).
    logRun(index, stopping_ ? RunEventKind::StoppedAtExit : RunEventKind::Finished);
}

// The run ends here and the box is shown once: the tick leaves the task
// alone until its file is back (see Scheduler), so the box does not come
// again at every due time.
void ScriptEngine::markMissing(int index) {
    TaskRecord& task = g_.slot(index);
    task.Running = 0;
    task.ScriptMissing = true;
    logRun(index, RunEventKind::ScriptMissing);
}

bool ScriptEngine::scriptPresent(int index) const {
    const std::string name = g_.slot(index).ScriptFile.shown();
    return !scriptNameProblem(name) && pathExists(joinPath(folder_, name));
}

// The line is UTF-8 here, whatever the encoding of the file.
void ScriptEngine::runLine(int index, const std::string& line) {
    const std::string keyword = upperAscii(GetField(line, ' ', 1).value_or(std::string()));
    const std::string argument = GetField(line, ' ', 2).value_or(std::string());
    // Everything after the keyword and the one character that follows it; a
    // line that is the keyword alone has no rest.
    std::optional<std::string> rest;
    if (line.size() >= keyword.size() + 1) rest = line.substr(keyword.size() + 1);

    if (isOneOf(keyword, {"EXEC", "RUN", "EX", "EXECUTE"})) {
        std::optional<std::string> commandLine;
        std::string waitFlag;
        const std::size_t comma = line.find(',');
        if (comma != std::string::npos) {
            waitFlag = line.substr(comma + 1, 1);
            if (comma >= keyword.size() + 1) commandLine = line.substr(keyword.size() + 1, comma - keyword.size() - 1);
        } else {
            commandLine = rest;
        }
        if (!commandLine || commandLine->empty()) return;
        const std::optional<double> id = env_.launcher.start(*commandLine);
        if (!id) {
            logRun(index, RunEventKind::ProgramNotFound, *commandLine);
            // The program could not start: ProcessId keeps its value, and a
            // wait for it lasts the one second of a wait for no program.
            if (waitFlag == "1") WaitForCompletion(0);
            return;
        }
        logRun(index, RunEventKind::ProgramStarted, *commandLine, *id);
        g_.slot(index).ProcessId = *id;
        rememberStart(*id);
        if (waitFlag == "1") {
            logRun(index, RunEventKind::WaitBegun, {}, *id);
            WaitForCompletion(*id);
            // The wait also ends when the program leaves or the window
            // cannot be activated: then the program may well run on.
            if (env_.launcher.isRunning(*id)) logRun(index, RunEventKind::WaitLeftRunning, {}, *id);
            else logRun(index, RunEventKind::WaitEnded, {}, *id, env_.launcher.exitStatus(*id));
        }
    } else if (isOneOf(keyword, {"SEND", "TYPE", "KEY"})) {
        typeKeys(index, rest.value_or(std::string()));
    } else if (isOneOf(keyword, {"WAIT", "PAUSE", "SLEEP"})) {
        Pause(static_cast<float>(waitNumber(argument)));
    } else if (isOneOf(keyword, {"MESSAGE", "MSG", "MSGBOX"})) {
        if (rest && !stopping_) env_.messages.show(*rest, "Wendrel 1.00", MsgButtons::Ok, MsgIcon::None);
    }
}

// With several tasks due together, the box of a missing script must say
// which task it was and where its script was looked for.
std::string ScriptEngine::whoseScript(int index, const std::string& file) const {
    return "\n\nTask: " + g_.slot(index).Name.shown() + "\nScript file: " + file;
}

void ScriptEngine::logRun(int index, RunEventKind kind, const std::string& command, std::optional<double> pid,
                          std::optional<ProgramExit> exitStatus) {
    if (!log_) return;
    const TaskRecord& task = g_.slot(index);
    log_->add(RunEvent{env_.clock.now(), kind, task.Name.shown(), task.ScriptFile.shown(), command, pid, exitStatus});
}

// Waits on the monotonic clock, so a wait across midnight still ends on time,
// and lets the event pump sleep between polls instead of spinning. A pause of
// 0 seconds still processes the pending events once. A stop request ends it
// at the next pass.
void ScriptEngine::Pause(float seconds) {
    if (!(seconds >= 0)) return;
    const double end = env_.clock.monotonicSeconds() + static_cast<double>(seconds);
    while (!stopping_) {
        const double remaining = end - env_.clock.monotonicSeconds();
        env_.pump.processEvents(std::clamp(remaining, 0.0, 0.05));
        if (env_.clock.monotonicSeconds() >= end) break;
    }
}

// Brings the program's window to the front once a second until the program
// has ended: no process of it runs and no window of it is left. A program that
// ended at once may have handed over to a running instance, so its window is
// looked for a little longer. This asks the processes first, so it works
// without any window system.
void ScriptEngine::WaitForCompletion(double taskId) {
    for (;;) {
        Pause(1.0f);
        if (stopping_) return;
        std::string failure;
        const ActivateResult r = env_.activator.activate(taskId, failure);
        if (r == ActivateResult::Failed) {
            env_.messages.show(failure, "Sub WaitForCompletion", MsgButtons::Ok, MsgIcon::None);
            return;
        }
        if (r == ActivateResult::Ok || env_.launcher.isRunning(taskId)) continue;
        if (secondsSinceStart(taskId).value_or(kQuickExitSeconds) >= kQuickExitSeconds) return;
    }
}

// Keys never go to one of our own windows: there they would edit the task
// list. When the program's window cannot be activated they go to whatever
// other window is active. Text that does not follow the notation types
// nothing at all. A long text is typed in chunks with events processed
// between them; a nested script may meanwhile bring another window forward,
// so the program's window is brought back before each chunk, and the rest of
// the text is dropped when it has gone or one of ours is active. Keys that
// the desktop could not type are named in the run history. No chunk goes out
// while the session is locked: the typing waits for the unlock, and then
// brings the program's window back first.
void ScriptEngine::typeKeys(int index, const std::string& keys) {
    const double taskId = g_.slot(index).ProcessId;
    const bool toProgram = activateForTyping(taskId);
    // Leaving while the program's window was awaited: nothing is typed into
    // whatever window has the focus now.
    if (stopping_) return;
    const std::optional<std::vector<KeyStroke>> strokes = parseSendKeys(keys);
    if (!strokes || strokes->empty()) return;
    auto mayGoOn = [&](bool bringBack) {
        std::string failure;
        return (!bringBack || !toProgram || env_.activator.activate(taskId, failure) == ActivateResult::Ok) &&
               !env_.activator.activeWindowIsOurs();
    };
    const std::span<const KeyStroke> all(*strokes);
    std::string notTyped;
    for (std::size_t first = 0; first < all.size(); first += kTypingChunkStrokes) {
        if (first > 0 && !yieldToEvents(0)) break;
        const bool held = sessionLocked();
        if (held && !waitUntilUnlocked(index)) break;
        if (!mayGoOn(first > 0 || held)) break;
        const std::size_t end = std::min(first + kTypingChunkStrokes, all.size());
        const KeysPressed pressed = env_.keys.press(all.subspan(first, end - first));
        notTyped += pressed.notTyped;
        if (!pressed.ended) continue;
        for (const KeyStroke& k : all.subspan(end)) notTyped += keyText(k);
        break;
    }
    if (!notTyped.empty()) logRun(index, RunEventKind::KeysNotTyped, notTyped);
}

// Keys pressed in a locked session would reach the locker (on X11 it holds
// the keyboard). Waits, events processed, until the session is unlocked;
// the run history tells of the hold and of its end. False when the program is
// leaving meanwhile: then nothing more is typed.
bool ScriptEngine::waitUntilUnlocked(int index) {
    logRun(index, RunEventKind::TypingHeld);
    while (sessionLocked())
        if (!yieldToEvents(kLockPollSeconds)) return false;
    logRun(index, RunEventKind::TypingResumed);
    return true;
}

// A program started a moment ago may not show its window yet: wait for it
// (processing events) for up to kWindowWaitSeconds after its start, unless the
// program has ended without one.
bool ScriptEngine::activateForTyping(double taskId) {
    std::string failure;
    for (;;) {
        if (env_.activator.activate(taskId, failure) == ActivateResult::Ok) return true;
        const std::optional<double> since = secondsSinceStart(taskId);
        if (!since || *since >= kWindowWaitSeconds) return false;
        if (*since >= kQuickExitSeconds && !env_.launcher.isRunning(taskId)) return false;
        const double until = env_.clock.monotonicSeconds() + 0.2;
        while (env_.clock.monotonicSeconds() < until)
            if (!yieldToEvents(0.02)) return false;
    }
}

// One pass of event processing while keys are typed or a window is waited
// for, so that ticks and signals still run. This is the one place that
// decides whether the script may go on afterwards.
bool ScriptEngine::yieldToEvents(double maxWaitSeconds) {
    env_.pump.processEvents(maxWaitSeconds);
    return !stopping_;
}

void ScriptEngine::rememberStart(double taskId) {
    const double now = env_.clock.monotonicSeconds();
    std::erase_if(recentStarts_,
                  [&](const auto& s) { return s.first == taskId || now - s.second >= kWindowWaitSeconds; });
    recentStarts_.emplace_back(taskId, now);
}

std::optional<double> ScriptEngine::secondsSinceStart(double taskId) const {
    for (const auto& [id, at] : recentStarts_)
        if (id == taskId) return env_.clock.monotonicSeconds() - at;
    return std::nullopt;
}

} // namespace wendrel
