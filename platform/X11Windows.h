#pragma once
// Brings a program's window to the front on the X display. The program is
// known by its process id, which its windows carry in _NET_WM_PID.
#include <string>

#include "script/Platform.h"

struct xdo;

namespace wendrel {

class X11WindowActivator : public WindowActivator {
public:
    X11WindowActivator() = default;
    ~X11WindowActivator() override;
    X11WindowActivator(const X11WindowActivator&) = delete;
    X11WindowActivator& operator=(const X11WindowActivator&) = delete;

    // Ok when the program's window is (now) the active one. Its windows are
    // the ones shown or minimized; hidden ones, menus and tooltips do not
    // count. When one of them is active already, it stays so (a dialog in
    // front of the main window keeps the focus); otherwise the topmost comes
    // forward.
    ActivateResult activate(double taskId, std::string& failure) override;

    // How long activation waits for the window manager to hand the focus
    // over, so that keys sent next reach the window.
    static constexpr int FocusWaitMilliseconds = 500;

private:
    xdo* context();

    xdo* xdo_ = nullptr;
    bool openFailed_ = false;
};

} // namespace wendrel
