#pragma once
// Window services on GNOME, through Wendrel's own GNOME Shell extension: it
// offers on the shell's session-bus name the windows with their process ids,
// brings a program's window forward, and tells which process has the focus.
// GNOME Shell loads a newly installed extension only at the next login; until
// the extension answers, the started program counts as showing its window
// while it runs (GNOME gives a new window the focus by itself), and the user
// is told once what to do.
#include <functional>
#include <optional>
#include <string>

#include <QVariantList>

#include "platform/KeyStrokes.h"
#include "platform/wayland/WaylandSession.h"
#include "script/Platform.h"

namespace wendrel::wayland {

// The extension's uuid, the name of its folder under
// gnome-shell/extensions/ in a data folder.
inline constexpr const char* kGnomeExtensionUuid = "wendrel-windows@wendrel.github.io";

// Makes the extension available to the user's GNOME Shell: a copy of Wendrel
// that is not installed writes it into the user's data folder (the installed
// program ships it in the system's), and the user's shell settings get it
// enabled. Each is done only when missing. The failure, if any, for the user.
std::string prepareGnomeExtension();

class GnomeWindowActivator : public WindowActivator {
public:
    GnomeWindowActivator(ProgramProcesses& programs, std::function<void(const std::string&)> notice)
        : programs_(programs), missing_(std::move(notice)) {}

    // One of the program's windows (of its process or a descendant) that has
    // the focus keeps it; otherwise the first is brought forward. A program
    // without a window counts as shown while it runs; NoSuchWindow once it
    // and its descendants have ended.
    ActivateResult activate(double taskId, std::string& failure) override;
    // The shell's own answer; the toolkit's word while the extension does not
    // answer.
    bool activeWindowIsOurs() override;

private:
    // The reply's one number; no value when the extension did not answer.
    std::optional<unsigned> ask(const char* method, const QVariantList& args = {});

    ProgramProcesses& programs_;
    OnceNotice missing_;
};

} // namespace wendrel::wayland
