#include "store/RunLogFile.h"

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "model/RegularFile.h"
#include "model/TextFile.h"
#include "store/FileNames.h"

namespace wendrel {

namespace {
// A command line is cut here in the history; the script holds the whole of it.
constexpr std::size_t kMaxCommandBytes = 500;
// Longer lines are no events this program wrote.
constexpr std::size_t kMaxLineBytes = 4096;

// Control characters (tabs and line breaks above all) would split the line or
// its fields: they become blanks.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return text;
}

// Cuts UTF-8 text to at most max bytes, never inside a character.
std::string cutUtf8(const std::string& text, std::size_t max) {
    if (text.size() <= max) return text;
    std::size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end) + "...";
}

std::string pidText(std::optional<double> pid) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", pid.value_or(0));
    return buf;
}

std::string describe(const RunEvent& e) {
    const std::string command = cutUtf8(e.command, kMaxCommandBytes);
    switch (e.kind) {
        case RunEventKind::Started:
            return "started";
        case RunEventKind::ScriptMissing:
            return "script missing";
        case RunEventKind::ScriptUnreadable:
            return "script unreadable";
        case RunEventKind::Finished:
            return "finished";
        case RunEventKind::ProgramStarted:
            return "program started: " + command + " (pid " + pidText(e.pid) + ")";
        case RunEventKind::ProgramNotFound:
            return "program not found: " + command;
        case RunEventKind::WaitBegun:
            return "waiting for pid " + pidText(e.pid) + " to end";
        case RunEventKind::WaitEnded:
            if (!e.exitStatus) return "pid " + pidText(e.pid) + " ended, exit status unknown";
            if (e.exitStatus->signal)
                return "pid " + pidText(e.pid) + " ended by signal " + std::to_string(e.exitStatus->signal);
            return "pid " + pidText(e.pid) + " ended, exit status " + std::to_string(e.exitStatus->code);
        case RunEventKind::KeysNotTyped:
            return "could not type: " + command;
        case RunEventKind::TypingHeld:
            return "typing held: the screen is locked";
        case RunEventKind::TypingResumed:
            return "typing resumed: the screen is unlocked";
    }
    return "unknown event";
}

void appendLinesOf(const std::string& path, std::vector<RunLogEntry>& out) {
    // Only this program writes the history: a link in its place is not ours.
    LineReader in(path, kMaxLineBytes, FileUse::ReadNoLink);
    std::string line;
    while (in.next(line))
        if (auto entry = parseRunLogLine(line)) out.push_back(std::move(*entry));
}

// Appends bytes to the regular file at path, created for the owner only when
// missing. Returns why nothing was written, or empty text.
std::string append(const std::string& path, std::string bytes) {
    std::string why;
    const int fd = openRegularFile(path, FileUse::AppendOrCreate, why);
    if (fd < 0) return why;
    // A line torn by a crash would swallow this one: end it first.
    struct stat st {};
    char last = '\n';
    if (::fstat(fd, &st) == 0 && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n')
        bytes.insert(bytes.begin(), '\n');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return {};
}

// "yyyy-mm-dd hh:mm:ss": digits where digits belong, the separators between.
bool isTimeField(std::string_view t) {
    static constexpr std::string_view kShape = "0000-00-00 00:00:00";
    if (t.size() != kShape.size()) return false;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (kShape[i] == '0' ? (t[i] < '0' || t[i] > '9') : t[i] != kShape[i]) return false;
    return true;
}
} // namespace

std::string formatRunEvent(const RunEvent& e) {
    char time[32];
    std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d", e.time.year, e.time.month, e.time.day,
                  e.time.hour, e.time.minute, e.time.second);
    return std::string(time) + '\t' + oneLine(e.task) + '\t' + oneLine(e.script) + '\t' + oneLine(describe(e));
}

std::optional<RunLogEntry> parseRunLogLine(const std::string& line) {
    const std::size_t t1 = line.find('\t');
    if (t1 == std::string::npos || !isTimeField(std::string_view(line).substr(0, t1))) return std::nullopt;
    const std::size_t t2 = line.find('\t', t1 + 1);
    if (t2 == std::string::npos) return std::nullopt;
    const std::size_t t3 = line.find('\t', t2 + 1);
    if (t3 == std::string::npos) return std::nullopt;
    return RunLogEntry{line.substr(0, t1), line.substr(t1 + 1, t2 - t1 - 1), line.substr(t2 + 1, t3 - t2 - 1),
                       line.substr(t3 + 1)};
}

void RunLogFile::add(const RunEvent& event) {
    // One write for the line, so a crash leaves at most the last line torn.
    const std::string line = formatRunEvent(event) + '\n';
    const std::string path = joinPath(folder_, file_names::kLogFile);
    // Only a file of ours is rotated (lstat: a link is left where it is, and
    // refused below).
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        static_cast<std::size_t>(st.st_size) + line.size() > rotateBytes_)
        ::rename(path.c_str(), joinPath(folder_, file_names::kOldLogFile).c_str());
    const std::string why = append(path, line);
    if (!why.empty() && refused_) refused_("The run history is not written to \"" + path + "\": " + why + ".");
}

std::vector<RunLogEntry> RunLogFile::readAll(const std::string& folder) {
    std::vector<RunLogEntry> all;
    appendLinesOf(joinPath(folder, file_names::kOldLogFile), all);
    appendLinesOf(joinPath(folder, file_names::kLogFile), all);
    return all;
}

std::vector<RunLogEntry> newestEvents(const std::vector<RunLogEntry>& all, std::size_t max,
                                      const std::optional<std::string>& task) {
    std::vector<RunLogEntry> out;
    for (auto it = all.rbegin(); it != all.rend() && out.size() < max; ++it)
        if (!task || it->task == *task) out.push_back(*it);
    return out;
}

} // namespace wendrel
