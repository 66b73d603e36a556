#include "platform/X11Keys.h"

#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <map>
#include <thread>

extern "C" {
#include <xdo.h>
}

#include "model/Cp1252.h"
#include "platform/KeyStrokes.h"
#include "platform/X11Support.h"

namespace wendrel {

namespace {

// The keysym name of a character for a libxdo key sequence, empty when X has
// none. The "U" names are written here rather than by XKeysymToString, which
// allocates them on every call.
std::string keysymName(char32_t cp) {
    if (cp >= 0x100) {
        char name[16];
        std::snprintf(name, sizeof name, "U%04X", static_cast<unsigned>(cp));
        return name;
    }
    const char* name = XKeysymToString(static_cast<KeySym>(cp));
    return name ? name : "";
}

// The keyboard mapping as the server has it now.
class KeyMap {
public:
    explicit KeyMap(Display* d) {
        XDisplayKeycodes(d, &min_, &max_);
        syms_ = XGetKeyboardMapping(d, static_cast<KeyCode>(min_), max_ - min_ + 1, &per_);
        if (!syms_) max_ = min_ - 1;
    }
    ~KeyMap() {
        if (syms_) XFree(syms_);
    }
    KeyMap(const KeyMap&) = delete;
    KeyMap& operator=(const KeyMap&) = delete;

    // The first keycode that has this keysym on any level, 0 for none.
    KeyCode find(KeySym ks) const {
        for (int kc = min_; kc <= max_; ++kc)
            for (int i = 0; i < per_; ++i)
                if (at(kc, i) == ks) return static_cast<KeyCode>(kc);
        return 0;
    }
    KeySym first(int kc) const { return kc >= min_ && kc <= max_ ? at(kc, 0) : NoSymbol; }
    // The highest keycode that no key of the layout uses, 0 for none.
    KeyCode spare() const {
        for (int kc = max_; kc >= min_; --kc)
            if (std::all_of(&syms_[(kc - min_) * per_], &syms_[(kc - min_ + 1) * per_],
                            [](KeySym s) { return s == NoSymbol; }))
                return static_cast<KeyCode>(kc);
        return 0;
    }
    // Binds a keycode to one keysym on every level, here and on the server.
    void bind(Display* d, KeyCode kc, KeySym ks) {
        KeySym both[2] = {ks, ks};
        XChangeKeyboardMapping(d, kc, 2, both, 1);
        std::fill(&syms_[(kc - min_) * per_], &syms_[(kc - min_ + 1) * per_], NoSymbol);
        syms_[(kc - min_) * per_] = ks;
    }

private:
    KeySym at(int kc, int i) const { return syms_[(kc - min_) * per_ + i]; }
    int min_ = 0, max_ = -1, per_ = 0;
    KeySym* syms_ = nullptr;
};

// libxdo decodes typed text by the C library's current locale; this makes it
// read UTF-8 for as long as the object lives, whatever locale the program
// runs in.
class Utf8Locale {
public:
    Utf8Locale() : utf8_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0))) {
        if (utf8_) previous_ = uselocale(utf8_);
    }
    ~Utf8Locale() {
        if (!utf8_) return;
        uselocale(previous_);
        freelocale(utf8_);
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

private:
    locale_t utf8_;
    locale_t previous_ = static_cast<locale_t>(0);
};

void pause() { std::this_thread::sleep_for(std::chrono::microseconds(X11KeySender::kKeyDelayMicroseconds / 2)); }

// Binds every keysym of the chunk that no key of the layout has to a spare
// keycode, before anything is typed, and leaves it bound: a program reads its
// keys by the mapping at the moment it gets to them, so a mapping changed back
// right after the key (as libxdo does) loses keys. Returns the keycode of each
// keysym so bound.
std::map<KeySym, KeyCode> bindMissingKeysyms(Display* d, KeyMap& map, const KeyStroke* first, const KeyStroke* last,
                                             X11KeySender::BoundKeys& bound) {
    std::map<KeySym, KeyCode> own;
    for (const KeyStroke* k = first; k != last; ++k) {
        const KeySym ks = keysymOf(*k);
        if (ks == NoSymbol || own.count(ks)) continue;
        auto mine = std::find_if(bound.begin(), bound.end(),
                                 [&](const auto& b) { return b.second == ks && map.first(b.first) == ks; });
        if (mine != bound.end()) {
            own[ks] = mine->first;
            continue;
        }
        if (map.find(ks)) continue;
        KeyCode kc = map.spare();
        if (!kc) {
            // All spares taken: take back the longest-bound one that this
            // chunk does not use.
            auto old = std::find_if(bound.begin(), bound.end(), [&](const auto& b) {
                return std::none_of(own.begin(), own.end(), [&](const auto& o) { return o.second == b.first; });
            });
            if (old == bound.end()) continue;
            kc = old->first;
        }
        std::erase_if(bound, [&](const auto& b) { return b.first == kc; });
        map.bind(d, kc, ks);
        bound.emplace_back(kc, ks);
        own[ks] = kc;
    }
    return own;
}

// Modifier keys the user happens to hold would change every key.
void releaseHeldModifiers(xdo_t* xdo) {
    charcodemap_t* held = nullptr;
    int heldCount = 0;
    if (xdo_get_active_modifiers(xdo, &held, &heldCount) == XDO_SUCCESS && heldCount > 0)
        xdo_clear_active_modifiers(xdo, CURRENTWINDOW, held, heldCount);
    std::free(held);
}

// A key with its modifiers in libxdo's notation, such as "ctrl+shift+Home".
std::string keySequence(const KeyStroke& k, const std::string& name) {
    std::string sequence;
    if (k.ctrl) sequence += "ctrl+";
    if (k.alt) sequence += "alt+";
    if (k.shift) sequence += "shift+";
    return sequence + name;
}

// Presses a keysym bound by bindMissingKeysyms, with its modifiers, through
// XTest.
void tapBoundKey(Display* d, KeyMap& map, const KeyStroke& k, KeyCode key) {
    auto tap = [&](KeyCode kc, bool down) {
        if (!kc) return;
        XTestFakeKeyEvent(d, kc, down, CurrentTime);
        XFlush(d);
        pause();
    };
    const KeyCode mods[] = {k.ctrl ? map.find(XK_Control_L) : KeyCode(0), k.alt ? map.find(XK_Alt_L) : KeyCode(0),
                            k.shift ? map.find(XK_Shift_L) : KeyCode(0)};
    for (KeyCode m : mods) tap(m, true);
    tap(key, true);
    tap(key, false);
    for (KeyCode m : mods) tap(m, false);
}

// Types keystrokes on an open connection. The spare keys are bound anew for
// each call: between two calls other scripts may have typed and bound keys of
// their own.
void typeStrokes(Display* d, const KeyStroke* first, const KeyStroke* last, X11KeySender::BoundKeys& bound) {
    x11::ErrorTrap trap(d);
    Utf8Locale utf8;
    KeyMap map(d);
    const std::map<KeySym, KeyCode> own = bindMissingKeysyms(d, map, first, last, bound);
    XSync(d, False);

    xdo_t* xdo = xdo_new_with_opened_display(d, DisplayString(d), False);
    if (!xdo) return;
    xdo->quiet = 1;
    releaseHeldModifiers(xdo);

    std::string text;
    auto typeText = [&] {
        if (!text.empty()) xdo_enter_text_window(xdo, CURRENTWINDOW, text.c_str(), X11KeySender::kKeyDelayMicroseconds);
        text.clear();
    };
    for (const KeyStroke* k = first; k != last; ++k) {
        if (auto it = own.find(keysymOf(*k)); it != own.end()) {
            typeText();
            tapBoundKey(d, map, *k, it->second);
            continue;
        }
        // Runs of plain characters go out as text; so does a character
        // with modifiers that has no keysym name.
        const std::string name = k->character ? keysymName(k->character) : k->keysym;
        if (k->character && (!k->hasModifiers() || name.empty())) {
            appendUtf8(text, k->character);
            continue;
        }
        typeText();
        xdo_send_keysequence_window(xdo, CURRENTWINDOW, keySequence(*k, name).c_str(),
                                    X11KeySender::kKeyDelayMicroseconds);
    }
    typeText();
    XSync(d, False);
    xdo_free(xdo);
}

} // namespace

X11KeySender::~X11KeySender() {
    if (bound_.empty()) return;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    {
        x11::ErrorTrap trap(d);
        KeyMap map(d);
        for (const auto& [kc, ks] : bound_)
            if (map.first(kc) == ks) map.bind(d, kc, NoSymbol); // unless the layout has changed it since
    }
    XCloseDisplay(d);
}

KeysPressed X11KeySender::press(std::span<const KeyStroke> strokes) {
    if (strokes.empty() || noDisplay_) return {};
    // A connection of its own for each call: what Xlib and libxdo know of the
    // keyboard mapping is then the mapping of now, even after a layout switch.
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        noDisplay_ = true;
        return {};
    }
    typeStrokes(d, strokes.data(), strokes.data() + strokes.size(), bound_);
    XCloseDisplay(d);
    return {};
}

} // namespace wendrel
