#include "platform/DataFolder.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/TextFile.h"
#include "store/FileNames.h"
#include "store/Folders.h"

namespace wendrel {

namespace {
bool isInstalledLayout(const std::string& exeFolder) {
    std::string folder = exeFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const auto slash = folder.rfind('/');
    if (slash == std::string::npos || folder.substr(slash + 1) != "bin") return false;
    struct stat st {};
    return ::stat((folder + "/../share/applications/" + file_names::kInstalledEntry).c_str(), &st) == 0;
}
} // namespace

std::string homeFolder(const char* home) {
    if (home && home[0] == '/') return home;
    const passwd* pw = ::getpwuid(::getuid());
    return pw && pw->pw_dir && pw->pw_dir[0] == '/' ? pw->pw_dir : "";
}

std::string userDataHome(const char* xdgDataHome, const char* home) {
    if (xdgDataHome && xdgDataHome[0] == '/') return xdgDataHome;
    const std::string base = homeFolder(home);
    return base.empty() ? base : base + "/.local/share";
}

std::string perUserDataFolder(const char* xdgDataHome, const char* home) {
    const std::string base = userDataHome(xdgDataHome, home);
    return base.empty() ? base : base + "/wendrel";
}

std::string resolveDataFolder(const std::string& exeFolder, std::string& failure) {
    struct stat st {};
    const bool holdsTasks = ::stat(joinPath(exeFolder, file_names::kTaskFile).c_str(), &st) == 0;
    if (holdsTasks || (::access(exeFolder.c_str(), W_OK) == 0 && !isInstalledLayout(exeFolder))) return exeFolder;

    const std::string folder = perUserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (folder.empty()) {
        failure = "no home folder to keep the task list in";
        return {};
    }
    return makePrivateFolders(folder, failure) ? folder : std::string();
}

} // namespace wendrel
