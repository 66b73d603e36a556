// Looks up and activates a program's windows in a tight loop, as the waits
// and TYPE lines of scripts do, for the window tests:
//   WindowLookupLoop <pid> <seconds>   the windows of process <pid>
//   WindowLookupLoop churn <seconds>   those of a child that maps and destroys
//                                      windows (and menus) as fast as it can
// Ends with status 0 unless it (or the child) crashed, or with status 3 when
// the X server has gone.
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <cstdlib>
#include <string>

#include "platform/X11Windows.h"
// After the program's own headers, which Xlib's macros would break.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {
// Windows carrying this process's id, one in eight a menu, each destroyed
// eight windows later.
void churn(std::time_t until) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) std::_Exit(2);
    const Atom wmPid = XInternAtom(d, "_NET_WM_PID", False);
    const unsigned long pid = static_cast<unsigned long>(::getpid());
    Window ring[8] = {};
    for (long made = 0; std::time(nullptr) < until; ++made) {
        Window& w = ring[made % 8];
        if (w) XDestroyWindow(d, w);
        XSetWindowAttributes a{};
        a.override_redirect = made % 8 == 7;
        w = XCreateWindow(d, DefaultRootWindow(d), made % 80, made % 80, 60, 40, 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWOverrideRedirect, &a);
        XChangeProperty(d, w, wmPid, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        XMapWindow(d, w);
        XFlush(d);
        ::usleep(400);
    }
    std::_Exit(0);
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::time_t until = std::time(nullptr) + std::atoi(argv[2]);
    const pid_t child = std::string(argv[1]) == "churn" ? ::fork() : 0;
    if (child < 0) return 2;
    const double pid = child ? child : std::atof(argv[1]);
    if (pid == 0) churn(until); // in the child of a fork
    wendrel::setX11ConnectionLostHandler([] { std::_Exit(3); });
    wendrel::X11WindowActivator activator;
    while (std::time(nullptr) < until) {
        std::string failure;
        activator.activate(pid, failure);
        activator.activate(pid + 1, failure);
        activator.activeWindowIsOurs();
    }
    int status = 0;
    if (child) ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
