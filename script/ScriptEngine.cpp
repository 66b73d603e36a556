#include "script/ScriptEngine.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

#include "model/Cp1252.h"
#include "store/Fields.h"
#include "store/TextFile.h"

namespace wendrel {

namespace {
// Longer lines are cut; no useful command comes near this.
constexpr std::size_t kMaxScriptLine = 1 << 20;

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

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
    std::string leaf = g_.slot(index).ScriptFile.str();
    while (!leaf.empty() && leaf.back() == ' ') leaf.pop_back();
    // A never-written name holds code-0 characters: it names no file.
    leaf.erase(std::find(leaf.begin(), leaf.end(), '\0'), leaf.end());
    const std::string path = JoinPath(folder_, cp1252ToUtf8(leaf));

    if (!pathExists(path)) {
        env_.messages.show("Script File does not exist. Task Aborted", "Script File Missing.", MsgButtons::Ok,
                           MsgIcon::Critical);
        return;  // Running stays 1 until the program is restarted
    }

    {
        // Each run reads through a reader of its own, so nested runs never
        // disturb each other. A path that is no readable file (the folder
        // itself, for an empty name) ends the run at once.
        LineReader in(path, kMaxScriptLine);
        std::string line;
        while (!stopping_ && in.isOpen() && in.next(line)) runLine(index, line);
    }
    g_.slot(index).Running = 0;
}

void ScriptEngine::runLine(int index, const std::string& line) {
    const std::string keyword = upper(GetField(line, ' ', 1).value_or(std::string()));
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
        const std::optional<double> id = env_.launcher.start(cp1252ToUtf8(*commandLine));
        if (!id) return;  // the program could not start: ProcessId keeps its value
        g_.slot(index).ProcessId = *id;
        if (waitFlag == "1") WaitForCompletion(g_.slot(index).ProcessId);
    } else if (isOneOf(keyword, {"SEND", "TYPE", "KEY"})) {
        std::string ignored;
        env_.activator.activate(g_.slot(index).ProcessId, ignored);  // on failure the keys go to the active window
        if (rest && !rest->empty()) env_.keys.send(cp1252ToUtf8(*rest));
    } else if (isOneOf(keyword, {"WAIT", "PAUSE", "SLEEP"})) {
        Pause(static_cast<float>(LeadingNumber(argument)));
    } else if (isOneOf(keyword, {"MESSAGE", "MSG", "MSGBOX"})) {
        if (rest && !stopping_) env_.messages.show(cp1252ToUtf8(*rest), "Wendrel 1.00", MsgButtons::Ok, MsgIcon::None);
    }
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

// Brings the program's window to the front once a second until it is gone.
void ScriptEngine::WaitForCompletion(double taskId) {
    for (;;) {
        Pause(1.0f);
        if (stopping_) return;
        std::string failure;
        const ActivateResult r = env_.activator.activate(taskId, failure);
        if (r == ActivateResult::NoSuchWindow) return;
        if (r == ActivateResult::Failed) {
            env_.messages.show(failure, "Sub WaitForCompletion", MsgButtons::Ok, MsgIcon::None);
            return;
        }
    }
}

} // namespace wendrel
