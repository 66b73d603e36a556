#pragma once
// Window services on KDE Plasma: KWin runs a small script of ours (through its
// scripting interface on the session bus) that activates the program's
// window, found by process id.
#include <map>
#include <string>

#include "platform/wayland/ProcessTree.h"
#include "platform/wayland/WaylandSession.h"
#include "script/Platform.h"

namespace wendrel::wayland {

class KwinWindowActivator : public WindowActivator {
public:
    KwinWindowActivator() = default;
    ~KwinWindowActivator() override;
    KwinWindowActivator(const KwinWindowActivator&) = delete;
    KwinWindowActivator& operator=(const KwinWindowActivator&) = delete;

    // Asks KWin to activate a window of the program (its process or a
    // descendant), unminimizing it. KWin does not answer whether there was
    // one, so a program counts as shown while it runs: NoSuchWindow once it
    // and its descendants have ended.
    ActivateResult activate(double taskId, std::string& failure) override;
    bool activeWindowIsOurs() override { return ownWindowActive(); }

private:
    void unloadScript();

    std::map<int, ProcessFamily> families_;
    std::string scriptPath_; // the file of the script KWin has loaded, if any
};

} // namespace wendrel::wayland
