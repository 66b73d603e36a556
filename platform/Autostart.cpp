#include "platform/Autostart.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DataFolder.h"
#include "model/TextFile.h"

namespace wendrel {

std::string XdgAutostart::defaultEntryPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::string(config) + "/autostart/wendrel.desktop";
    const std::string home = homeFolder(std::getenv("HOME"));
    return home.empty() ? home : home + "/.config/autostart/wendrel.desktop";
}

std::string XdgAutostart::execValue(const std::string& executable) {
    // An argument with a reserved character is written in double quotes, in
    // which ", `, $ and \ take a backslash; a % is always doubled.
    const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool quote = executable.find_first_of(reserved) != std::string::npos;
    std::string arg = quote ? "\"" : "";
    for (char c : executable) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) arg += '\\';
        arg += c;
        if (c == '%') arg += '%';
    }
    if (quote) arg += '"';
    // Then the escapes of a string value in the entry file.
    std::string value;
    for (char c : arg) {
        switch (c) {
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\t':
                value += "\\t";
                break;
            case '\r':
                value += "\\r";
                break;
            default:
                value += c;
        }
    }
    return value;
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
    const std::string entry = "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Wendrel\n"
                              "Comment=Start the Wendrel task scheduler at login\n"
                              "Exec=" +
                              execValue(executable_) +
                              "\n"
                              "Icon=io.github.wendrel.Wendrel\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n";
    failure = writeFileAtomically(entryPath_, entry);
    return failure.empty();
}

} // namespace wendrel
