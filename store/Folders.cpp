#include "store/Folders.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace wendrel {

bool makePrivateFolders(const std::string& path, std::string& failure) {
    // Each prefix that ends before a slash, then the whole path; a leading
    // slash is no level of its own.
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            failure = "cannot create " + part + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        failure = "cannot create " + path + ": it is not a folder";
        return false;
    }
    return true;
}

} // namespace wendrel
