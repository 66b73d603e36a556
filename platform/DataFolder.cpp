#include "platform/DataFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wendrel {

namespace {
bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isInstalledLayout(const std::string& exeFolder) {
    std::string folder = exeFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const auto slash = folder.rfind('/');
    if (slash == std::string::npos || folder.substr(slash + 1) != "bin") return false;
    struct stat st {};
    return ::stat((folder + "/../share/applications/" + kDesktopEntryName).c_str(), &st) == 0;
}
} // namespace

bool makePrivateFolders(const std::string& path, std::string& failure) {
    for (std::size_t end = 1; end != std::string::npos;) {
        end = path.find('/', end + 1);
        const std::string part = path.substr(0, end);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            failure = "cannot create " + part + ": " + std::strerror(errno);
            return false;
        }
    }
    if (!isFolder(path)) {
        failure = path + " is not a folder";
        return false;
    }
    return true;
}

std::string homeFolder(const char* home) {
    if (home && home[0] == '/') return home;
    const passwd* pw = ::getpwuid(::getuid());
    return pw && pw->pw_dir && pw->pw_dir[0] == '/' ? pw->pw_dir : "";
}

std::string perUserDataFolder(const char* xdgDataHome, const char* home) {
    if (xdgDataHome && xdgDataHome[0] == '/') return std::string(xdgDataHome) + "/wendrel";
    const std::string base = homeFolder(home);
    return base.empty() ? base : base + "/.local/share/wendrel";
}

std::string resolveDataFolder(const std::string& exeFolder, std::string& failure) {
    struct stat st {};
    const bool holdsTasks = ::stat((exeFolder + "/Scripts.dat").c_str(), &st) == 0;
    if (holdsTasks || (::access(exeFolder.c_str(), W_OK) == 0 && !isInstalledLayout(exeFolder))) return exeFolder;

    const std::string folder = perUserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (folder.empty()) {
        failure = "no home folder to keep the task list in";
        return {};
    }
    return makePrivateFolders(folder, failure) ? folder : std::string();
}

} // namespace wendrel
