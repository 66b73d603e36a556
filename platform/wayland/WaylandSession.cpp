#include "platform/wayland/WaylandSession.h"

#include <climits>
#include <cstdlib>

#include "platform/wayland/SwayWindows.h"
#include "platform/wayland/VirtualKeyboard.h"
#include "platform/wayland/WaylandClient.h"

namespace wendrel::wayland {

namespace {
const char* const NoKeysNotice =
    "Keystrokes cannot be sent to other programs in this desktop session: TYPE lines send nothing.";
}

std::optional<SessionServices> waylandSessionServices(std::function<void(const std::string&)> notice) {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (!display || !*display) return std::nullopt;
    const std::unique_ptr<Connection> probe = Connection::open();
    if (!probe) return std::nullopt;

    // Only wlroots compositors offer a virtual keyboard to any client. KWin
    // (KDE Plasma) has a fake-input protocol of its own, but shows it only to
    // programs that an installed desktop entry names (X-KDE-Wayland-Interfaces),
    // and it presses keys of the user's layout only, so a character the layout
    // lacks cannot be typed; GNOME needs libei, which Debian 12 lacks. There
    // the user is told that keystrokes cannot be sent, and RUN ...,1 follows
    // the program's process.
    SessionServices s;
    const char* swaySocket = std::getenv("SWAYSOCK");
    if (swaySocket && *swaySocket) s.activator = std::make_unique<SwayWindowActivator>(swaySocket);
    else s.activator = std::make_unique<ProcessWindowActivator>();
    if (probe->keyboardManager()) {
        s.keys = std::make_unique<VirtualKeyboardSender>(std::move(notice));
        s.kind = swaySocket && *swaySocket ? "sway" : "wlroots";
    } else {
        s.keys = std::make_unique<NoKeySender>(std::move(notice));
        s.kind = "none";
    }
    return s;
}

ActivateResult ProcessWindowActivator::activate(double taskId, std::string&) {
    if (!(taskId >= 1 && taskId <= INT_MAX)) return ActivateResult::NoSuchWindow;
    const int pid = static_cast<int>(taskId);
    if (!families_.try_emplace(pid, pid).first->second.living().empty()) return ActivateResult::Ok;
    families_.erase(pid);
    return ActivateResult::NoSuchWindow;
}

void NoKeySender::send(const std::string&) {
    if (noticed_) return;
    noticed_ = true;
    if (notice_) notice_(NoKeysNotice);
}

} // namespace wendrel::wayland
