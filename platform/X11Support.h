#pragma once
// Shared by the X11 window and keystroke services (and only by them: it brings
// in Xlib, whose macros clash with Qt's headers).
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <optional>
#include <vector>

namespace wendrel::x11 {

// Xlib's default error handler ends the process. A window of another program
// may vanish between two requests at any time, so every request about such a
// window runs inside a trap that records the error instead.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);
        outerCode_ = code_; // a trap set inside another keeps the outer one's record
        code_ = 0;
        previous_ = XSetErrorHandler(&ErrorTrap::record);
    }
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
        if (outerCode_) code_ = outerCode_;
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    // Whether any request since the trap was set has failed.
    bool failed() {
        XSync(display_, False);
        return code_ != 0;
    }
    // Forgets the errors so far: failed() then tells about later requests.
    void reset() {
        XSync(display_, False);
        code_ = 0;
    }

private:
    static int record(Display*, XErrorEvent* e) {
        code_ = e->error_code;
        return 0;
    }
    static inline int code_ = 0;
    Display* display_;
    int outerCode_ = 0;
    int (*previous_)(Display*, XErrorEvent*) = nullptr;
};

// The first 32-bit item of a window property, or no value when the window has
// no such property (or is gone).
inline std::optional<unsigned long> cardinalProperty(Display* d, Window w, const char* name, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<unsigned long> value;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1, False, type, &actualType, &format, &count, &after,
                           &data) == Success &&
        actualType == type && data && format == 32 && count >= 1)
        value = reinterpret_cast<unsigned long*>(data)[0]; // 32-bit items arrive as longs
    if (data) XFree(data);
    return value;
}

// All 32-bit items of a window property (a list of windows or atoms), or no
// value when the window has no such property of that type (or is gone).
inline std::optional<std::vector<unsigned long>> listProperty(Display* d, Window w, const char* name, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<std::vector<unsigned long>> items;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1L << 16, False, type, &actualType, &format, &count,
                           &after, &data) == Success &&
        actualType == type && format == 32) {
        const auto* first = reinterpret_cast<const unsigned long*>(data);
        items.emplace(first, first + (data ? count : 0));
    }
    if (data) XFree(data);
    return items;
}

} // namespace wendrel::x11
