#include "model/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wendrel {

namespace {
const char* kindOf(mode_t mode) {
    if (S_ISFIFO(mode)) return "it is a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device";
    if (S_ISSOCK(mode)) return "it is a socket";
    if (S_ISDIR(mode)) return "it is a folder";
    if (S_ISLNK(mode)) return "it is a symbolic link";
    return "it is not a regular file";
}

int flagsFor(FileUse use) {
    // O_NONBLOCK: opening a pipe or a device never waits for its other end;
    // O_NOCTTY: a terminal in the file's place never becomes ours.
    const int common = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    switch (use) {
        case FileUse::Read:
            return common | O_RDONLY;
        case FileUse::ReadNoLink:
            return common | O_RDONLY | O_NOFOLLOW;
        case FileUse::AppendOrCreate:
            return common | O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW;
    }
    return common | O_RDONLY;
}
} // namespace

int openRegularFile(const std::string& path, FileUse use, std::string& why) {
    const bool follow = use == FileUse::Read;
    // A first look spares a device the open; the check on the descriptor
    // below is the one that counts, as the name may change in between.
    struct stat st {};
    if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) == 0 && !S_ISREG(st.st_mode)) {
        why = kindOf(st.st_mode);
        return -1;
    }
    int fd = -1;
    do fd = ::open(path.c_str(), flagsFor(use), 0600);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        // O_NOFOLLOW fails with ELOOP on a link; a pipe or a device without
        // its other end refuses a non-blocking open with ENXIO.
        why = errno == ELOOP && !follow ? "it is a symbolic link"
              : errno == ENXIO          ? "it is not a regular file"
                                        : std::strerror(errno);
        return -1;
    }
    st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = S_ISREG(st.st_mode) ? std::strerror(errno) : kindOf(st.st_mode);
        ::close(fd);
        return -1;
    }
    // A regular file never blocks, but what the descriptor is handed to may
    // expect ordinary blocking reads and writes.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

} // namespace wendrel
