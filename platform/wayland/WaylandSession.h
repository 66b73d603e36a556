#pragma once
// The keystroke and window services of a Wayland session, chosen by what the
// compositor offers.
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/Launcher.h"
#include "script/Platform.h"

namespace wendrel::wayland {

// Whether one of this program's windows has the keyboard focus, as the
// toolkit last heard it from the compositor. The compositor tells each client
// when its windows gain and lose the focus, but through events that arrive
// some time after a change: right after we moved the focus ourselves, this
// may still tell the old state.
bool toolkitWindowActive();

// The living processes of the program with this task id (its process and
// descendants); empty once all have ended, and for an id that names no
// living process.
std::set<int> livingProcesses(ProgramProcesses& programs, double taskId);

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
// programs: the started programs, whose windows the window services look
// for; it must outlive the services.
std::optional<SessionServices> waylandSessionServices(ProgramProcesses& programs,
                                                      std::function<void(const std::string&)> notice);

// Where windows cannot be looked at, the started program counts as showing
// its window for as long as it (or a process it started) runs: RUN ...,1 then
// waits for the program to end, and TYPE finds the focus where it is.
//
// Without a way to see the focused window, the toolkit's word is taken: this
// activator never moves the focus itself, so the focus it reports was set
// long before by the user, and the compositor's events about it have arrived.
class ProcessWindowActivator : public WindowActivator {
public:
    explicit ProcessWindowActivator(ProgramProcesses& programs) : programs_(programs) {}
    ActivateResult activate(double taskId, std::string& failure) override;
    bool activeWindowIsOurs() override { return toolkitWindowActive(); }

private:
    ProgramProcesses& programs_;
};

// Keystrokes where the desktop offers no way to send them: nothing is sent,
// and the user is told once why.
class NoKeySender : public KeySender {
public:
    explicit NoKeySender(std::function<void(const std::string&)> notice) : notice_(std::move(notice)) {}
    KeysPressed press(std::span<const KeyStroke> strokes) override;

private:
    std::function<void(const std::string&)> notice_;
    bool noticed_ = false;
};

} // namespace wendrel::wayland
