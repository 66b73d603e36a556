#include "platform/X11Windows.h"

#include <algorithm>
#include <climits>
#include <unistd.h>

#include "model/AsciiCase.h"
#include "platform/FocusWait.h"
#include "platform/Launcher.h"
#include "platform/X11Support.h"

namespace wendrel {

namespace {

std::function<void()>& connectionLostHandler() {
    static std::function<void()> handler;
    return handler;
}

// Xlib calls this when the connection breaks and ends the process if it
// returns; ending it here keeps Xlib from running anything more.
int onConnectionLost(Display*) {
    if (connectionLostHandler()) connectionLostHandler()();
    ::_exit(1);
}

void installConnectionLostHandler() {
    static const bool installed = [] {
        XSetIOErrorHandler(onConnectionLost);
        return true;
    }();
    (void)installed;
}

// Whether a window manager that follows EWMH runs now. Its check window
// names itself; a manager that has ended may have left its properties on
// the root window, but not the window.
bool ewmhManagerRuns(Display* d) {
    const Window root = DefaultRootWindow(d);
    const auto check = x11::cardinalProperty(d, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (!check || x11::cardinalProperty(d, *check, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW) != check) return false;
    const auto supported = x11::listProperty(d, root, "_NET_SUPPORTED", XA_ATOM);
    const Atom wanted = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    return supported && std::find(supported->begin(), supported->end(), wanted) != supported->end();
}

Window activeWindow(Display* d, bool ewmh) {
    if (ewmh)
        return static_cast<Window>(
            x11::cardinalProperty(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW", XA_WINDOW).value_or(None));
    Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    return focus == PointerRoot ? None : focus;
}

bool hasWmState(Display* d, Window w) {
    return x11::cardinalProperty(d, w, "WM_STATE", XInternAtom(d, "WM_STATE", False)).has_value();
}

// Below a frame of the window manager: the window that has WM_STATE.
Window clientBelow(Display* d, Window w, int depth) {
    if (hasWmState(d, w)) return w;
    if (depth == 0) return None;
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) return None; // gone meanwhile
    Window found = None;
    for (unsigned int i = count; i-- > 0 && found == None;) found = clientBelow(d, children[i], depth - 1);
    if (children) XFree(children);
    return found;
}

// The top-level windows of all programs, oldest first: the window manager's
// list when one that keeps it runs, else our own walk of the root's children
// (in stacking order, bottom first) down to the windows below frames.
std::vector<Window> clientWindows(Display* d, bool ewmh) {
    if (ewmh) {
        if (auto list = x11::listProperty(d, DefaultRootWindow(d), "_NET_CLIENT_LIST", XA_WINDOW))
            return {list->begin(), list->end()};
    }
    std::vector<Window> clients;
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return clients;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d, children[i], &a) || a.override_redirect) continue; // gone, or a menu or tip
        const Window client = clientBelow(d, children[i], 2);
        // Without a window manager nothing has WM_STATE: the window is its own.
        clients.push_back(client != None ? client : children[i]);
    }
    if (children) XFree(children);
    return clients;
}

// The same windows bottom first, so that the last one is the topmost.
std::vector<Window> stackingOrder(Display* d, bool ewmh, const std::vector<Window>& clients) {
    if (ewmh) {
        if (auto list = x11::listProperty(d, DefaultRootWindow(d), "_NET_CLIENT_LIST_STACKING", XA_WINDOW))
            return {list->begin(), list->end()};
    }
    return clients;
}

enum class Shown { No, Yes, Minimized };

// Menus, tooltips and withdrawn windows do not count; nor does a window that
// is gone.
Shown shownState(Display* d, Window w) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a) || a.override_redirect) return Shown::No;
    if (a.map_state == IsViewable) return Shown::Yes;
    const auto state = x11::cardinalProperty(d, w, "WM_STATE", XInternAtom(d, "WM_STATE", False));
    return state == IconicState ? Shown::Minimized : Shown::No;
}

std::optional<unsigned long> pidOf(Display* d, Window w) {
    return x11::cardinalProperty(d, w, "_NET_WM_PID", XA_CARDINAL);
}

// Whether either part of the window's WM_CLASS is the program's name, in any
// case; "foo.sh" also matches a class "foo".
bool classMatches(Display* d, Window w, const std::string& program) {
    XClassHint hint{};
    if (!XGetClassHint(d, w, &hint)) return false;
    const std::string name = lowerAscii(program);
    const std::string stem = name.substr(0, name.find('.'));
    bool match = false;
    for (const char* part : {hint.res_name, hint.res_class})
        if (part && (lowerAscii(part) == name || lowerAscii(part) == stem)) match = true;
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return match;
}

void sendRootMessage(Display* d, Window w, const char* type, long l0, long l1) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, type, False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureNotifyMask | SubstructureRedirectMask, &e);
}

// Asks an EWMH window manager to activate the window (as a pager does, which
// the focus-stealing rules let through), first switching to its desktop.
void activateByEwmh(Display* d, Window w) {
    const Window root = DefaultRootWindow(d);
    const auto desktop = x11::cardinalProperty(d, w, "_NET_WM_DESKTOP", XA_CARDINAL);
    const auto current = x11::cardinalProperty(d, root, "_NET_CURRENT_DESKTOP", XA_CARDINAL);
    if (desktop && current && *desktop != *current && *desktop != 0xFFFFFFFFul)
        sendRootMessage(d, root, "_NET_CURRENT_DESKTOP", static_cast<long>(*desktop), CurrentTime);
    sendRootMessage(d, w, "_NET_ACTIVE_WINDOW", 2, CurrentTime);
}

} // namespace

void setX11ConnectionLostHandler(std::function<void()> onLost) {
    connectionLostHandler() = std::move(onLost);
    installConnectionLostHandler();
}

X11WindowActivator::X11WindowActivator(ProgramProcesses* programs) : programs_(programs) {}

X11WindowActivator::~X11WindowActivator() {
    if (display_) XCloseDisplay(display_);
}

Display* X11WindowActivator::display() {
    if (!display_ && !openFailed_) {
        installConnectionLostHandler();
        display_ = XOpenDisplay(nullptr);
        openFailed_ = display_ == nullptr;
    }
    return display_;
}

X11WindowActivator::Started* X11WindowActivator::started(double taskId) {
    auto it = std::find_if(started_.begin(), started_.end(), [&](const Started& s) { return s.taskId == taskId; });
    return it == started_.end() ? nullptr : &*it;
}

void X11WindowActivator::programStarted(double taskId) {
    Display* d = display();
    if (!d) return;
    x11::ErrorTrap trap(d);
    std::erase_if(started_, [&](const Started& s) { return s.taskId == taskId; });
    if (started_.size() >= kRememberedStarts) started_.pop_front();
    const std::vector<Window> before = clientWindows(d, ewmhManagerRuns(d));
    started_.push_back({taskId, {before.begin(), before.end()}, None, false});
}

std::vector<unsigned long> X11WindowActivator::findWindows(Display* d, bool ewmh, double taskId) {
    const std::vector<int> pids =
        programs_ ? programs_->processesOf(taskId) : std::vector<int>{static_cast<int>(taskId)};
    const std::vector<Window> clients = clientWindows(d, ewmh);
    std::vector<unsigned long> shown, minimized;
    for (Window w : stackingOrder(d, ewmh, clients)) {
        const auto pid = pidOf(d, w);
        if (!pid || std::find(pids.begin(), pids.end(), static_cast<int>(*pid)) == pids.end()) continue;
        const Shown state = shownState(d, w);
        if (state == Shown::Yes) shown.push_back(w);
        else if (state == Shown::Minimized) minimized.push_back(w);
    }
    if (!shown.empty()) return shown;
    if (!minimized.empty()) return minimized;

    // No window of its own processes: perhaps it handed over.
    Started* s = started(taskId);
    if (!s || s->done || !programs_) return {};
    if (s->adopted != None) {
        if (shownState(d, s->adopted) != Shown::No) return {s->adopted};
        s->done = true; // that window has gone: so has the program
        return {};
    }
    const std::string name = programs_->nameOf(taskId);
    if (name.empty() || (!pids.empty() && programs_->secondsSinceStart(taskId).value_or(0) < kOwnWindowSeconds))
        return {};
    for (Window w : clients) {
        if (std::find(s->before.begin(), s->before.end(), w) != s->before.end()) continue;
        if (shownState(d, w) == Shown::No || !classMatches(d, w, name)) continue;
        const auto pid = pidOf(d, w);
        if (pid && static_cast<pid_t>(*pid) == ::getpid()) continue; // never one of ours
        s->adopted = w;
        return {w};
    }
    return {};
}

std::vector<unsigned long> X11WindowActivator::windowsOf(double taskId) {
    if (!(taskId >= 1 && taskId <= INT_MAX)) return {};
    Display* d = display();
    if (!d) return {};
    x11::ErrorTrap trap(d);
    return findWindows(d, ewmhManagerRuns(d), taskId);
}

ActivateResult X11WindowActivator::activate(double taskId, std::string& failure) {
    if (!(taskId >= 1 && taskId <= INT_MAX)) return ActivateResult::NoSuchWindow;
    Display* d = display();
    if (!d) return ActivateResult::NoSuchWindow; // no X display: no windows; waits go by the processes
    x11::ErrorTrap trap(d);
    const bool ewmh = ewmhManagerRuns(d);
    const std::vector<unsigned long> windows = findWindows(d, ewmh, taskId);
    if (windows.empty()) return ActivateResult::NoSuchWindow;
    if (std::find(windows.begin(), windows.end(), activeWindow(d, ewmh)) != windows.end()) return ActivateResult::Ok;

    const Window target = windows.back();
    const bool minimized = shownState(d, target) == Shown::Minimized;
    trap.reset();
    if (ewmh) {
        activateByEwmh(d, target);
    } else {
        if (minimized) XMapRaised(d, target);
        else XRaiseWindow(d, target);
        XSetInputFocus(d, target, RevertToParent, CurrentTime);
    }
    if (trap.failed()) {
        if (shownState(d, target) == Shown::No) return ActivateResult::NoSuchWindow;
        failure = "Cannot bring the window of program " + std::to_string(static_cast<int>(taskId)) + " to the front";
        return ActivateResult::Failed;
    }
    // The window manager hands the focus over in its own time; the keys of
    // a TYPE line that follows must not arrive before.
    if (ewmh) awaitFocus([&] { return activeWindow(d, true) == target; });
    return ActivateResult::Ok;
}

// The active window, or one of its ancestors up to the root, carries our own
// process id.
bool X11WindowActivator::activeWindowIsOurs() {
    Display* d = display();
    if (!d) return false;
    x11::ErrorTrap trap(d);
    Window w = activeWindow(d, ewmhManagerRuns(d));
    for (int depth = 0; w != None && w != DefaultRootWindow(d) && depth < 8; ++depth) {
        const auto pid = pidOf(d, w);
        if (pid && static_cast<pid_t>(*pid) == ::getpid()) return true;
        Window root = None, parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, w, &root, &parent, &children, &count)) return false;
        if (children) XFree(children);
        w = parent;
    }
    return false;
}

} // namespace wendrel
