#include "platform/wayland/WaylandSession.h"

#include <QGuiApplication>

#include <signal.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/DataFolder.h"
#include "platform/KeyStrokes.h"
#include "platform/wayland/GnomeKeys.h"
#include "platform/wayland/GnomeWindows.h"
#include "platform/wayland/KdeFakeInput.h"
#include "platform/wayland/KwinWindows.h"
#include "platform/wayland/SwayWindows.h"
#include "platform/wayland/VirtualKeyboard.h"
#include "platform/wayland/WaylandClient.h"
#include "store/DesktopEntry.h"
#include "store/FileNames.h"
#include "store/Fnv1a.h"
#include "store/Folders.h"

namespace wendrel::wayland {

namespace {
const char* const kNoKeysNotice =
    "Keystrokes cannot be sent to other programs in this desktop session: TYPE lines send nothing.";

} // namespace

// The entry is also the program's item in the desktop's menu; one per program
// folder, since each folder has its own copy of the program.
void prepareKdeSession() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (!display || !*display || !desktop || !std::strstr(desktop, "KDE")) return;
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path program = fs::canonical("/proc/self/exe", error);
    if (error) return;
    std::string folder = userDataHome(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (folder.empty()) return;
    folder += "/applications";

    // A name that stays the same for the same folder.
    std::ostringstream name;
    name << file_names::kFolderEntryPrefix << std::hex << fnv1a(program.string()) << file_names::kEntryExtension;
    const std::string file = folder + "/" + name.str();

    DesktopEntry entry;
    entry.set("Type", "Application")
        .set("Name", "Wendrel")
        .set("Comment", "Runs the scripts of scheduled tasks")
        .setExec({program.string()})
        .set("Categories", "Utility;")
        .set("X-KDE-Wayland-Interfaces", "org_kde_kwin_fake_input");
    // Rewritten only when it differs, so that an ordinary start leaves the
    // desktop's menu alone.
    std::string failure;
    const std::string text = entry.text(failure);
    std::ifstream existing(file, std::ios::binary);
    if (!text.empty() && existing) {
        std::stringstream old;
        old << existing.rdbuf();
        if (old.str() == text) return;
    }
    if (failure.empty() && makePrivateFolders(folder, failure)) failure = entry.write(file);
    if (!failure.empty())
        std::fprintf(stderr, "Wendrel: cannot write the desktop entry %s that KDE needs to let it type: %s\n",
                     file.c_str(), failure.c_str());
}

std::optional<SessionServices> waylandSessionServices(ProgramProcesses& programs,
                                                      std::function<void(const std::string&)> notice) {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (!display || !*display) return std::nullopt;
    const std::unique_ptr<Connection> probe = Connection::open();
    if (!probe) return std::nullopt;

    // wlroots compositors offer a virtual keyboard to any client. KWin (KDE
    // Plasma) offers its fake input to programs that a desktop entry names
    // (see prepareKdeSession); it types with the user's layout, and KWin's
    // scripting brings windows forward. GNOME's mutter types through its
    // remote desktop interface on the session bus, and our shell extension
    // brings windows forward. Where no way is offered the user is told that
    // keystrokes cannot be sent, and RUN ...,1 follows the program's process.
    SessionServices s;
    const char* swaySocket = std::getenv("SWAYSOCK");
    if (swaySocket && *swaySocket) s.activator = std::make_unique<SwayWindowActivator>(swaySocket, programs);
    else s.activator = std::make_unique<ProcessWindowActivator>(programs);
    if (probe->keyboardManager()) {
        s.keys = std::make_unique<VirtualKeyboardSender>(std::move(notice));
    } else if (probe->kdeFakeInput()) {
        s.keys = std::make_unique<KdeFakeInputSender>(std::move(notice));
        s.activator = std::make_unique<KwinWindowActivator>(programs);
    } else if (const auto gnome = GnomeKeySender::available()) {
        if (const std::string failure = prepareGnomeExtension(); !failure.empty())
            std::fprintf(stderr, "Wendrel: cannot set up its GNOME Shell extension: %s\n", failure.c_str());
        s.keys = std::make_unique<GnomeKeySender>(*gnome, notice);
        s.activator = std::make_unique<GnomeWindowActivator>(programs, std::move(notice));
    } else {
        s.keys = std::make_unique<NoKeySender>(std::move(notice));
    }
    return s;
}

std::set<int> livingProcesses(ProgramProcesses& programs, double taskId) {
    if (!(taskId >= 1 && taskId <= INT_MAX)) return {};
    // For an id we did not start the launcher answers with the id itself,
    // whether or not such a process runs.
    if (programs.nameOf(taskId).empty())
        return ::kill(static_cast<pid_t>(taskId), 0) == 0 || errno == EPERM ? std::set<int>{static_cast<int>(taskId)}
                                                                            : std::set<int>{};
    const std::vector<int> family = programs.processesOf(taskId);
    return {family.begin(), family.end()};
}

ActivateResult ProcessWindowActivator::activate(double taskId, std::string&) {
    return livingProcesses(programs_, taskId).empty() ? ActivateResult::NoSuchWindow : ActivateResult::Ok;
}

bool toolkitWindowActive() { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

KeysPressed NoKeySender::press(std::span<const KeyStroke> strokes) {
    const KeysPressed result = noneTyped(strokes);
    if (noticed_) return result;
    noticed_ = true;
    if (notice_) notice_(kNoKeysNotice);
    return result;
}

} // namespace wendrel::wayland
