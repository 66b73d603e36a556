#include "platform/Autostart.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DataFolder.h"
#include "store/DesktopEntry.h"
#include "store/FileNames.h"
#include "store/Folders.h"

namespace wendrel {

std::string XdgAutostart::defaultEntryPath() {
    const std::string leaf = std::string("/autostart/") + file_names::kAutostartEntry;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return config + leaf;
    const std::string home = homeFolder(std::getenv("HOME"));
    return home.empty() ? home : home + "/.config" + leaf;
}

bool XdgAutostart::isEnabled() const {
    struct stat st {};
    return !entryPath_.empty() && ::lstat(entryPath_.c_str(), &st) == 0;
}

bool XdgAutostart::setEnabled(bool on, std::string& failure) {
    if (entryPath_.empty()) {
        failure = "no home folder for the autostart entry";
        return false;
    }
    if (!on) {
        if (::unlink(entryPath_.c_str()) == 0 || errno == ENOENT) return true;
        failure = "cannot remove " + entryPath_ + ": " + std::strerror(errno);
        return false;
    }
    // The autostart folder and its parents may not exist yet.
    const std::string folder = entryPath_.substr(0, entryPath_.rfind('/'));
    if (!makePrivateFolders(folder, failure)) return false;
    DesktopEntry entry;
    entry.set("Type", "Application")
        .set("Name", "Wendrel")
        .set("Comment", "Start the Wendrel task scheduler at login")
        .set("TryExec", executable_) // desktops skip the entry once the program is removed
        .setExec({executable_})
        .set("Icon", "io.github.wendrel.Wendrel")
        .set("Terminal", "false")
        .set("X-GNOME-Autostart-enabled", "true");
    failure = entry.write(entryPath_);
    return failure.empty();
}

} // namespace wendrel
