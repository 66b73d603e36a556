#include "store/RunLogFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "model/Cp1252.h"
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

RunEvent lostEvents(const DateTime& time, std::size_t lost) {
    return RunEvent{time, RunEventKind::EventsLost, {}, {}, {}, {}, {}, lost};
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
        case RunEventKind::StoppedAtExit:
            return "stopped at exit";
        case RunEventKind::WaitLeftRunning:
            return "pid " + pidText(e.pid) + " still running when the wait ended";
        case RunEventKind::EventsLost:
            return "the history could not be written; events lost: " + std::to_string(e.lost);
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
    // A full disk, a file size limit: the line is lost (the next line written
    // ends a torn part of it).
    const int error = errno;
    ::close(fd);
    return done == bytes.size() ? std::string() : std::strerror(error);
}

// Reads size bytes at offset; false on a read error or a file cut short
// meanwhile (a regular file gives what it has at once).
bool readAt(int fd, char* data, std::size_t size, std::uint64_t offset) {
    return ::pread(fd, data, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

// A line gathered from the pieces of several blocks; a line too long to be an
// event is only skipped, never held.
class LinePieces {
public:
    void append(const char* data, std::size_t size) { add(data, size, false); }
    void prepend(const char* data, std::size_t size) { add(data, size, true); }
    // The whole line, or nothing when it was too long; starts the next one.
    std::optional<std::string> take() {
        std::string text = std::exchange(text_, {});
        if (std::exchange(tooLong_, false)) return std::nullopt;
        return text;
    }

private:
    void add(const char* data, std::size_t size, bool atFront) {
        tooLong_ = tooLong_ || text_.size() + size > kMaxLineBytes;
        if (!tooLong_) text_.insert(atFront ? text_.begin() : text_.end(), data, data + size);
    }
    std::string text_;
    bool tooLong_ = false;
};

// Calls take with each complete line of fd before end, the last one first,
// until it returns false. The bytes after the last line end are no complete
// line yet. Returns the offset after the last line end (0 when none).
std::uint64_t linesBackwards(int fd, std::uint64_t end, std::uint64_t& bytesRead,
                             const std::function<bool(const std::string&)>& take) {
    std::vector<char> block(RunLogReader::kBlockBytes);
    LinePieces line;
    std::optional<std::uint64_t> complete;
    std::uint64_t pos = end;
    bool more = true;
    while (more && pos != 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), pos));
        pos -= n;
        more = readAt(fd, block.data(), n, pos);
        bytesRead += n;
        std::size_t stop = n; // the block's bytes from stop on are taken
        while (more) {
            const auto* lineEnd = static_cast<const char*>(::memrchr(block.data(), '\n', stop));
            if (!lineEnd) break;
            const auto i = static_cast<std::size_t>(lineEnd - block.data());
            line.prepend(lineEnd + 1, stop - i - 1);
            const std::optional<std::string> text = line.take();
            if (!complete) complete = pos + i + 1;
            else if (text) more = take(*text);
            stop = i;
        }
        if (more) line.prepend(block.data(), stop);
    }
    // The file's first line has no line end before it. (Once enough lines
    // were taken, the line gathered is empty.)
    if (pos == 0 && complete)
        if (const std::optional<std::string> text = line.take()) take(*text);
    return complete.value_or(0);
}

// A history file open for reading (when id has a value), closed with this.
struct LogFile {
    explicit LogFile(const std::string& path) : fd(openForReading(path)) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) return; // also for -1: no file
        id = {st.st_dev, st.st_ino};
        size = static_cast<std::uint64_t>(st.st_size);
    }
    ~LogFile() { ::close(fd); } // nothing for -1
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    static int openForReading(const std::string& path) {
        std::string why;
        return openRegularFile(path, FileUse::ReadNoLink, why);
    }

    const int fd;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> id; // (device, inode)
    std::uint64_t size{};
};

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
    return dateTimeText(e.time) + '\t' + oneLine(e.task) + '\t' + oneLine(e.script) + '\t' + runEventWhat(e);
}

std::string runEventWhat(const RunEvent& e) { return oneLine(describe(e)); }

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
    std::string line = formatRunEvent(event) + '\n';
    if (lost_ != 0) line = formatRunEvent(lostEvents(event.time, lost_)) + '\n' + line;
    const std::string path = joinPath(folder_, file_names::kLogFile);
    // Only a file of ours is rotated (lstat: a link is left where it is, and
    // refused below).
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        static_cast<std::size_t>(st.st_size) + line.size() > rotateBytes_)
        ::rename(path.c_str(), joinPath(folder_, file_names::kOldLogFile).c_str());
    const std::string why = append(path, line);
    if (why.empty()) {
        lost_ = 0;
        return;
    }
    ++lost_;
    if (refused_) refused_("The run history is not written to \"" + path + "\": " + why + ".");
}

std::vector<RunLogEntry> RunLogFile::readAll(const std::string& folder) {
    std::vector<RunLogEntry> all;
    appendLinesOf(joinPath(folder, file_names::kOldLogFile), all);
    appendLinesOf(joinPath(folder, file_names::kLogFile), all);
    return all;
}

std::optional<RunLogEntry> RunLogReader::parseWanted(const std::string& line) {
    std::optional<RunLogEntry> entry = parseRunLogLine(line);
    if (!entry) return std::nullopt;
    if (names_.size() < kMaxNames) names_.insert(entry->task);
    if (task_ && entry->task != *task_) return std::nullopt;
    return entry;
}

bool RunLogReader::takeOlder(const std::string& line) {
    if (auto entry = parseWanted(line)) events_.push_front(std::move(*entry));
    return events_.size() < max_;
}

void RunLogReader::takeNewer(const std::string& line, std::size_t& added) {
    auto entry = parseWanted(line);
    if (!entry) return;
    events_.push_back(std::move(*entry));
    ++added;
    if (events_.size() > max_) events_.pop_front();
}

std::uint64_t RunLogReader::readForward(int fd, std::uint64_t offset, std::uint64_t size, std::size_t& added) {
    std::vector<char> block(kBlockBytes);
    LinePieces line;
    std::uint64_t pos = offset, complete = offset;
    while (pos < size) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - pos));
        if (!readAt(fd, block.data(), n, pos)) break;
        bytesRead_ += n;
        std::size_t start = 0;
        while (const auto* lineEnd = static_cast<const char*>(::memchr(block.data() + start, '\n', n - start))) {
            const auto i = static_cast<std::size_t>(lineEnd - block.data());
            line.append(block.data() + start, i - start);
            if (const std::optional<std::string> text = line.take()) takeNewer(*text, added);
            start = i + 1;
            complete = pos + start;
        }
        line.append(block.data() + start, n - start);
        pos += n;
    }
    return complete;
}

void RunLogReader::reload() {
    events_.clear();
    const auto take = [this](const std::string& line) { return takeOlder(line); };
    const LogFile log(joinPath(folder_, file_names::kLogFile));
    file_ = log.id;
    offset_ = linesBackwards(log.fd, log.size, bytesRead_, take); // none: size 0, nothing read
    if (events_.size() >= max_) return;
    const LogFile old(joinPath(folder_, file_names::kOldLogFile));
    linesBackwards(old.fd, old.size, bytesRead_, take);
}

RunLogReader::Change RunLogReader::refresh() {
    Change change;
    // No file: between a rotation's rename and its first line, or removed.
    const LogFile log(joinPath(folder_, file_names::kLogFile));
    if (!log.id) return change;
    if (log.id == file_ && log.size >= offset_) {
        offset_ = readForward(log.fd, offset_, log.size, change.added);
        return change;
    }
    // After a rotation ours is Wendrel.log.1: its rest comes before the new
    // file's lines.
    const LogFile old(joinPath(folder_, file_names::kOldLogFile));
    if (old.id && old.id == file_) {
        readForward(old.fd, offset_, old.size, change.added);
        file_ = log.id;
        offset_ = readForward(log.fd, 0, log.size, change.added);
        return change;
    }
    // None before, or one cut short or replaced.
    reload();
    change.reloaded = true;
    return change;
}

} // namespace wendrel
