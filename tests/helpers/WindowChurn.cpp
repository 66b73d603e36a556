// A busy desktop for the window tests: maps and destroys top-level windows
// (and menus) as fast as it can, each carrying this process's id.
//   WindowChurn <seconds>
// Prints how many windows it made.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(nullptr);
    if (!d || argc < 2) return 2;
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(std::atof(argv[1]));
    const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
    const unsigned long pid = static_cast<unsigned long>(::getpid());
    XClassHint hint{const_cast<char*>("churn"), const_cast<char*>("Churn")};
    long made = 0;
    while (std::chrono::steady_clock::now() < until) {
        Window windows[8];
        for (int i = 0; i < 8; ++i) {
            XSetWindowAttributes a{};
            a.override_redirect = i == 7; // one menu among them
            windows[i] = XCreateWindow(d, DefaultRootWindow(d), 10 * i, 10 * i, 60, 40, 0, CopyFromParent, InputOutput,
                                       CopyFromParent, CWOverrideRedirect, &a);
            XChangeProperty(d, windows[i], pidAtom, XA_CARDINAL, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&pid), 1);
            XSetClassHint(d, windows[i], &hint);
            XMapWindow(d, windows[i]);
        }
        XFlush(d);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        for (Window w : windows) XDestroyWindow(d, w);
        XFlush(d);
        made += 8;
    }
    XCloseDisplay(d);
    std::printf("%ld windows\n", made);
    return 0;
}
