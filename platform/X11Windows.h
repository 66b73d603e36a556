#pragma once
// Brings a program's window to the front on the X display. A program's
// windows are the top-level windows whose _NET_WM_PID is one of its processes
// (the started one and its descendants); a program that shows none of its own
// (it handed over to a running instance, or is a launcher) owns the first new
// window whose WM_CLASS is its name.
//
// All X requests are our own, and every reply is checked: windows of other
// programs come and go at any moment, and one that vanishes while it is
// looked at is skipped.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "script/Platform.h"

typedef struct _XDisplay Display;

namespace wendrel {

class ProgramProcesses;

// What to do when the connection to the X server is lost (the server or the
// session has ended): the function should save what must be kept and end the
// process; it must not return into Xlib. Without one the process ends at
// once with status 1, never with a crash.
void setX11ConnectionLostHandler(std::function<void()> onLost);

class X11WindowActivator : public WindowActivator {
public:
    // programs tells which processes belong to a task id; without it a task
    // id is just the one process.
    explicit X11WindowActivator(ProgramProcesses* programs = nullptr);
    ~X11WindowActivator() override;
    X11WindowActivator(const X11WindowActivator&) = delete;
    X11WindowActivator& operator=(const X11WindowActivator&) = delete;

    // Ok when the program's window is (now) the active one. Its windows are
    // the ones shown or minimized; hidden ones, menus and tooltips do not
    // count. When one of them is active already, it stays so (a dialog in
    // front of the main window keeps the focus); otherwise the topmost comes
    // forward. Without an X display no program has a window.
    ActivateResult activate(double taskId, std::string& failure) override;
    bool activeWindowIsOurs() override;

    // Notes the windows that exist at a program's start, so that a window
    // that appears later is known to be new.
    void programStarted(double taskId);

    // The program's windows as activate() finds them (for tests and tools).
    std::vector<unsigned long> windowsOf(double taskId);

    // How long a program that still runs has to show a window of its own
    // before a new window of its name counts as its window.
    static constexpr double kOwnWindowSeconds = 3;
    // How many starts are remembered for that.
    static constexpr std::size_t kRememberedStarts = 64;

private:
    struct Started {
        double taskId = 0;
        std::vector<unsigned long> before; // the windows at the start
        unsigned long adopted = 0;         // the new window of its name, once found
        bool done = false;                 // that window has gone again
    };
    Display* display();
    std::vector<unsigned long> findWindows(Display* d, bool ewmh, double taskId);
    Started* started(double taskId);

    ProgramProcesses* programs_;
    Display* display_ = nullptr;
    bool openFailed_ = false;
    std::deque<Started> started_;
};

} // namespace wendrel
