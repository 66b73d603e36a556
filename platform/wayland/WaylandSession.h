#pragma once
// The keystroke and window services of a Wayland session, chosen by what the
// compositor offers.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/wayland/ProcessTree.h"
#include "script/Platform.h"

namespace wendrel::wayland {

// Whether one of this program's windows has the keyboard focus: the
// compositor tells each client when its windows gain and lose it.
bool ownWindowActive();

struct SessionServices {
    std::unique_ptr<KeySender> keys;
    std::unique_ptr<WindowActivator> activator;
};

// KWin offers its fake input only to a program that a desktop entry of the
// user's applications names by its executable, in the entry's
// X-KDE-Wayland-Interfaces key, and it decides once for each process, when
// the process first connects. So in a KDE Plasma session the entry is written
// (when missing) before the program's first connection to KWin: call this
// before the toolkit starts.
void prepareKdeSession();

// No value when the session is not a Wayland one (no compositor answers at
// $WAYLAND_DISPLAY). notice: told, once, a sentence for the user when
// keystrokes cannot be sent in this session.
std::optional<SessionServices> waylandSessionServices(std::function<void(const std::string&)> notice);

// Where windows cannot be looked at, the started program counts as showing
// its window for as long as it (or a process it started) runs: RUN ...,1 then
// waits for the program to end, and TYPE finds the focus where it is.
class ProcessWindowActivator : public WindowActivator {
public:
    ActivateResult activate(double taskId, std::string& failure) override;
    bool activeWindowIsOurs() override { return ownWindowActive(); }

private:
    std::map<int, ProcessFamily> families_;
};

// Keystrokes where the desktop offers no way to send them: nothing is sent,
// and the user is told once why.
class NoKeySender : public KeySender {
public:
    explicit NoKeySender(std::function<void(const std::string&)> notice) : notice_(std::move(notice)) {}
    void send(const std::string& keys, const Yield& yield = {}) override;

private:
    std::function<void(const std::string&)> notice_;
    bool noticed_ = false;
};

} // namespace wendrel::wayland
