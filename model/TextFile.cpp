#include "model/TextFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wendrel {

LineReader::LineReader(const std::string& path, std::size_t maxLine, FileUse use) : maxLine_(maxLine) {
    const int fd = openRegularFile(path, use, whyNotOpen_);
    if (fd >= 0) file_ = ::fdopen(fd, "rb");
    if (fd >= 0 && !file_) {
        whyNotOpen_ = std::strerror(errno);
        ::close(fd);
    }
    if (!file_) error_ = true;
}

LineReader::~LineReader() {
    if (file_) std::fclose(file_);
}

void LineReader::onProgress(std::size_t everyBytes, std::function<void()> progress) {
    progressEvery_ = everyBytes;
    untilProgress_ = everyBytes;
    progress_ = std::move(progress);
}

int LineReader::get() {
    if (pending_ != -2) {
        int c = pending_;
        pending_ = -2;
        return c;
    }
    if (progress_ && --untilProgress_ == 0) {
        untilProgress_ = progressEvery_;
        progress_();
    }
    int c = getc_unlocked(file_);
    if (c == EOF && std::ferror(file_)) error_ = true;
    return c;
}

bool LineReader::next(std::string& line) {
    line.clear();
    if (!file_) return false;
    int c = get();
    if (c == EOF) return false;
    while (c != EOF) {
        if (c == '\n') return true;
        if (c == '\r') {
            int d = get();
            if (d != '\n' && d != EOF) pending_ = d;
            return true;
        }
        if (line.size() < maxLine_) line += static_cast<char>(c);
        else cut_ = true;
        c = get();
    }
    return true;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool nothingAt(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

std::string joinPath(const std::string& folder, const std::string& leaf) {
    if (folder.empty()) return leaf;
    if (folder.back() == '/') return folder + leaf;
    return folder + "/" + leaf;
}

std::string followLinks(const std::string& start) {
    std::string path = start;
    // As many links as the kernel follows before it gives up (ELOOP).
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return path;
        target.resize(static_cast<std::size_t>(n));
        if (target[0] != '/') {
            // Relative to the folder that holds the link.
            const auto slash = path.rfind('/');
            if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
        }
        path = target;
    }
    return start;
}

std::string writeFileAtomically(const std::string& linkOrFile, const std::string& contents, LinkAtPath link) {
    const std::string path = link == LinkAtPath::Follow ? followLinks(linkOrFile) : linkOrFile;
    std::string folder = ".";
    std::string leaf = path;
    if (auto slash = path.rfind('/'); slash != std::string::npos) {
        folder = slash == 0 ? "/" : path.substr(0, slash);
        leaf = path.substr(slash + 1);
    }
    mode_t mode = S_IRUSR | S_IWUSR;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) mode = st.st_mode & 07777;

    std::string tmp = joinPath(folder, "." + leaf + ".XXXXXX");
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) return std::strerror(errno);
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return std::string(std::strerror(err));
    };
    if (::fchmod(fd, mode) != 0) return fail(errno);
    std::size_t done = 0;
    while (done < contents.size()) {
        ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return std::strerror(err);
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return std::strerror(err);
    }
    int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return {};
}

} // namespace wendrel
