#include "platform/X11Windows.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>
#include <vector>

extern "C" {
#include <xdo.h>
}

#include "platform/X11Support.h"

namespace wendrel {

namespace {

// Whether a window manager that follows EWMH runs now. Its check window
// names itself; a manager that has ended may have left its properties on
// the root window, but not the window.
bool ewmhManagerRuns(Display* d) {
    x11::ErrorTrap trap(d);
    const Window root = DefaultRootWindow(d);
    const auto check = x11::cardinalProperty(d, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (!check || x11::cardinalProperty(d, *check, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW) != check) return false;

    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool supported = false;
    if (XGetWindowProperty(d, root, XInternAtom(d, "_NET_SUPPORTED", False), 0, 4096, False, XA_ATOM, &type,
                           &format, &count, &after, &data) == Success &&
        data && format == 32) {
        const Atom wanted = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        supported = std::find(atoms, atoms + count, wanted) != atoms + count;
    }
    if (data) XFree(data);
    return supported && !trap.failed();
}

Window activeWindow(Display* d, bool ewmh) {
    if (ewmh) {
        x11::ErrorTrap trap(d);
        return static_cast<Window>(
            x11::cardinalProperty(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW", XA_WINDOW).value_or(None));
    }
    Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    return focus;
}

// The program's windows that are shown, in stacking order (topmost last);
// when none is shown, the minimized ones.
std::vector<Window> windowsOf(xdo_t* xdo, int pid) {
    Display* d = xdo->xdpy;
    x11::ErrorTrap trap(d);  // windows may vanish while they are looked at
    xdo_search_t search{};
    search.pid = pid;
    search.max_depth = -1;  // below the frames of a reparenting window manager
    search.require = xdo_search_t::SEARCH_ALL;
    search.searchmask = SEARCH_PID;
    Window* found = nullptr;
    unsigned int count = 0;
    xdo_search_windows(xdo, &search, &found, &count);

    const Atom wmState = XInternAtom(d, "WM_STATE", False);
    std::vector<Window> shown, minimized;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d, found[i], &a) || a.override_redirect) continue;  // gone, or a menu or tip
        if (a.map_state == IsViewable)
            shown.push_back(found[i]);
        else if (x11::cardinalProperty(d, found[i], "WM_STATE", wmState) == IconicState)
            minimized.push_back(found[i]);
    }
    std::free(found);
    return shown.empty() ? minimized : shown;
}

bool windowExists(Display* d, Window w) {
    x11::ErrorTrap trap(d);
    XWindowAttributes a{};
    return XGetWindowAttributes(d, w, &a) != 0 && !trap.failed();
}

} // namespace

X11WindowActivator::~X11WindowActivator() {
    if (xdo_) xdo_free(xdo_);
}

xdo* X11WindowActivator::context() {
    if (!xdo_ && !openFailed_) {
        if (Display* d = XOpenDisplay(nullptr)) {
            xdo_ = xdo_new_with_opened_display(d, DisplayString(d), True);
            if (xdo_) xdo_->quiet = 1;
            else XCloseDisplay(d);
        }
        openFailed_ = xdo_ == nullptr;
    }
    return xdo_;
}

ActivateResult X11WindowActivator::activate(double taskId, std::string& failure) {
    if (!(taskId >= 1 && taskId <= INT_MAX)) return ActivateResult::NoSuchWindow;
    xdo_t* xdo = context();
    if (!xdo) {
        failure = "Cannot open the X display";
        return ActivateResult::Failed;
    }
    Display* d = xdo->xdpy;
    const std::vector<Window> windows = windowsOf(xdo, static_cast<int>(taskId));
    if (windows.empty()) return ActivateResult::NoSuchWindow;

    const bool ewmh = ewmhManagerRuns(d);
    if (std::find(windows.begin(), windows.end(), activeWindow(d, ewmh)) != windows.end()) return ActivateResult::Ok;
    const Window target = windows.back();
    bool failed = false;
    {
        x11::ErrorTrap trap(d);
        if (ewmh) {
            failed = xdo_activate_window(xdo, target) != XDO_SUCCESS;
        } else {
            XRaiseWindow(d, target);
            XSetInputFocus(d, target, RevertToParent, CurrentTime);
        }
        failed = trap.failed() || failed;
    }
    if (failed) {
        if (!windowExists(d, target)) return ActivateResult::NoSuchWindow;
        failure = "Cannot bring the window of program " + std::to_string(static_cast<int>(taskId)) +
                  " to the front";
        return ActivateResult::Failed;
    }
    // The window manager hands the focus over in its own time; the keys of
    // a TYPE line that follows must not arrive before.
    if (ewmh) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(FocusWaitMilliseconds);
        while (activeWindow(d, true) != target && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ActivateResult::Ok;
}

} // namespace wendrel
