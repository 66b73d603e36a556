#include "store/TaskStore.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "model/Fields.h"
#include "model/RegularFile.h"
#include "model/TextFile.h"
#include "store/FileNames.h"
#include "store/Folders.h"
#include "store/TaskLine.h"

namespace wendrel {

namespace {
// No legitimate task line comes near this; longer ones are cut on reading.
constexpr std::size_t kMaxTaskLine = 64 * 1024;

std::string describe(const std::string& what, const std::string& path, const std::string& why) {
    return what + " \"" + path + "\": " + why;
}

// Creates a missing file with the given contents (owner-only permissions).
void createIfMissing(const std::string& path, const std::string& contents, std::vector<std::string>& errors) {
    if (fileExists(path)) return;
    if (::access(path.c_str(), F_OK) == 0) {
        errors.push_back(describe("Cannot use", path, "it is not a regular file"));
        return;
    }
    std::string why = writeFileAtomically(path, contents);
    if (!why.empty()) errors.push_back(describe("Cannot create", path, why));
}

// A save that was killed half-way leaves its temporary (".Scripts.dat.XXXXXX",
// see writeFileAtomically) behind. Those older than a few seconds belong to no
// save in progress and are removed, so crashes do not pile up files.
void removeStaleTemporaries(const std::string& folder, const std::string& leaf) {
    namespace fs = std::filesystem;
    const std::string prefix = "." + leaf + ".";
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::error_code e2;
        if (!it->is_regular_file(e2) || e2) continue;
        const auto written = fs::last_write_time(it->path(), e2);
        if (e2 || now - written < std::chrono::seconds(10)) continue;
        fs::remove(it->path(), e2);
    }
}

// "Scripts.dat" with tag "-x" gives "Scripts-x.dat".
std::string tagged(const std::string& name, const std::string& tag) {
    const std::size_t dot = name.rfind('.');
    return name.substr(0, dot) + tag + (dot == std::string::npos ? "" : name.substr(dot));
}

bool copyFile(const std::string& from, const std::string& to) {
    std::string why;
    const int fd = openRegularFile(from, FileUse::Read, why);
    if (fd < 0) return false;
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    char buf[65536];
    ssize_t n = 0;
    while (out && ((n = ::read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)))
        if (n > 0) out.write(buf, n);
    ::close(fd);
    return n == 0 && static_cast<bool>(out);
}
} // namespace

std::string TaskStore::taskPath() const { return joinPath(folder_, file_names::kTaskFile); }
std::string TaskStore::optionsPath() const { return joinPath(folder_, file_names::kOptionsFile); }

std::string TaskStore::formatTaskFile(const General& g) {
    std::string out;
    out.reserve(static_cast<std::size_t>(g.TaskCount) * 122);
    for (int i = 1; i <= g.TaskCount; ++i) {
        out += formatTaskLine(g.slot(i));
        out += "\r\n";
    }
    return out;
}

std::string TaskStore::formatOptionsFile(const General& g) {
    std::string text = formatOptionValue(g.MinimizeOnStartup) + "\r\n" + formatOptionValue(g.MinimizeToTray) + "\r\n";
    // RunMissedTasks came later, as a third line that a two-line file lacks;
    // off, it is left out, so the file reads the same to older versions.
    if (g.RunMissedTasks != 0) text += formatOptionValue(g.RunMissedTasks) + "\r\n";
    return text;
}

void TaskStore::readOptions(General& g) {
    removeStaleTemporaries(folder_.empty() ? "." : folder_, file_names::kTaskFile);
    removeStaleTemporaries(folder_.empty() ? "." : folder_, file_names::kOptionsFile);
    createIfMissing(taskPath(), "", errors_);
    const std::string ini = optionsPath();
    createIfMissing(ini, formatOptionValue(0) + "\r\n" + formatOptionValue(0) + "\r\n", errors_);
    g.MinimizeOnStartup = 0;
    g.MinimizeToTray = 0;
    g.RunMissedTasks = 0;
    LineReader in(ini, 4096);
    if (!in.isOpen()) {
        if (fileExists(ini)) errors_.push_back(describe("Cannot read", ini, in.whyNotOpen()));
        return;
    }
    std::string line;
    if (in.next(line)) g.MinimizeOnStartup = leadingInt16(line);
    if (in.next(line)) g.MinimizeToTray = leadingInt16(line);
    if (in.next(line)) g.RunMissedTasks = leadingInt16(line);
}

void TaskStore::readTasks(General& g) {
    g.TaskCount = 0;
    const std::string path = taskPath();
    LineReader in(path, kMaxTaskLine);
    if (!in.isOpen()) {
        if (fileExists(path)) {
            // Whatever it holds was not loaded: keep it before it is replaced.
            errors_.push_back(describe("Cannot read", path, in.whyNotOpen()));
            lostOnLoad_ = true;
            keepOriginal();
        }
        return;
    }
    std::string line;
    while (in.next(line)) {
        if (g.TaskCount >= General::kMaxTasks) {
            errors_.push_back(describe("Loaded only the first 200 tasks of", path, "it holds more lines"));
            lostOnLoad_ = true;
            break;
        }
        ++g.TaskCount;
        parseTaskLine(line, g.slot(g.TaskCount));
    }
    if (in.wasCut()) {
        errors_.push_back(describe("Cut overlong lines of", path, "a task line holds at most 64 KB"));
        lostOnLoad_ = true;
    }
    if (in.hadError()) {
        errors_.push_back(describe("Error while reading", path, "the file could not be read to its end"));
        lostOnLoad_ = true;
    }
    if (lostOnLoad_) keepOriginal();
}

// Keeps the task list as it was before anything replaces it. A hard link
// keeps the old contents even after an atomic replace; a copy does too.
bool TaskStore::keepOriginal() {
    const std::string path = taskPath();
    if (backupDone_ || !fileExists(path)) return backupDone_;
    // A hard link keeps the old contents even after the atomic replace of a
    // later save; a copy where no link can be made. For a Scripts.dat that is
    // a symbolic link, the file it leads to is kept.
    const std::string bak = path + file_names::kBackupSuffix;
    ::unlink(bak.c_str());
    if (::link(followLinks(path).c_str(), bak.c_str()) == 0 || copyFile(path, bak)) {
        backupDone_ = true;
        errors_.push_back("The original task list is kept as \"" + bak + "\".");
    }
    return backupDone_;
}

std::vector<std::string> TaskStore::write(const General& g) {
    std::vector<std::string> problems;
    const std::string path = taskPath();
    if (lostOnLoad_ && !keepOriginal() && fileExists(path)) {
        problems.push_back(describe("Cannot keep a backup of", path, std::strerror(errno)) +
                           "; the file was not replaced, so what could not be loaded stays in it");
    }
    if (!lostOnLoad_ || backupDone_) {
        std::string why = writeFileAtomically(path, formatTaskFile(g));
        if (!why.empty()) problems.push_back(describe("Cannot save the task list to", path, why));
    }
    std::string why = writeFileAtomically(optionsPath(), formatOptionsFile(g));
    if (!why.empty()) problems.push_back(describe("Cannot save the options to", optionsPath(), why));
    return problems;
}

std::string TaskStore::writeFallback(const General& g, const std::string& folder, std::string& why) {
    if (folder.empty()) {
        why = "no folder for it";
        return {};
    }
    if (!makePrivateFolders(folder, why)) return {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string tag = std::string("-") + stamp + "-" + std::to_string(::getpid());
    const std::string tasks = joinPath(folder, tagged(file_names::kTaskFile, tag));
    why = writeFileAtomically(tasks, formatTaskFile(g));
    if (!why.empty()) return {};
    writeFileAtomically(joinPath(folder, tagged(file_names::kOptionsFile, tag)), formatOptionsFile(g));
    return tasks;
}

} // namespace wendrel
