#include "platform/wayland/VirtualKeyboard.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/KeyStrokes.h"
#include "platform/wayland/KeymapText.h"
#include "platform/wayland/WaylandClient.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace wendrel::wayland {

namespace {

struct Press {
    xkb_keysym_t keysym;
    bool shift, ctrl, alt;
};

std::uint32_t now() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void pause() { std::this_thread::sleep_for(std::chrono::microseconds(VirtualKeyboardSender::kKeyDelayMicroseconds)); }

} // namespace

VirtualKeyboardSender::VirtualKeyboardSender(std::function<void(const std::string&)> notice)
    : notice_(std::move(notice)) {}

VirtualKeyboardSender::~VirtualKeyboardSender() { drop(); }

void VirtualKeyboardSender::drop() {
    if (keyboard_) zwp_virtual_keyboard_v1_destroy(keyboard_);
    keyboard_ = nullptr;
    if (connection_) connection_->flush();
    connection_.reset();
    layout_.reset();
}

bool VirtualKeyboardSender::connect() {
    if (connection_ && !connection_->failed()) return true;
    drop();
    connection_ = Connection::open();
    if (connection_ && connection_->keyboardManager() && connection_->seat()) {
        keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(connection_->keyboardManager(),
                                                                            connection_->seat());
        // A compositor that does not let this program type ends the
        // connection here.
        if (connection_->roundtrip()) return true;
    }
    drop();
    notice_(kTypingRefusedNotice);
    return false;
}

// Hands the compositor a new keymap and makes sure it has taken it before the
// first key: the compositor passes a keyboard's keymap on to the focused
// window when that keyboard first reports to it, so a key sent together with
// the keymap may reach a program still busy reading the old one (terminals
// lost the first few keys that way). Here an empty modifier state reports
// first, and the keys wait until the compositor has handled it.
bool VirtualKeyboardSender::useLayout(const KeyLayout& layout) {
    const std::size_t size = layout.text.size() + 1; // with its closing NUL, which XKB reads up to
    const int fd = memfd_create("wendrel-keymap", MFD_CLOEXEC);
    if (fd < 0) return false;
    const bool written = write(fd, layout.text.c_str(), size) == static_cast<ssize_t>(size);
    if (written) zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, size);
    close(fd); // the request has sent a copy of the descriptor
    if (!written) return false;
    zwp_virtual_keyboard_v1_modifiers(keyboard_, 0, 0, 0, 0);
    if (!connection_->roundtrip()) return false;
    // The compositor has sent the keymap on by now; give the window a moment
    // to read it before its first key.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return true;
}

KeysPressed VirtualKeyboardSender::press(std::span<const KeyStroke> strokes) {
    if (strokes.empty()) return {};
    if (!connect()) return noneTyped(strokes);
    KeysPressed result;

    std::vector<Press> presses;
    presses.reserve(strokes.size());
    for (const KeyStroke& k : strokes)
        if (const xkb_keysym_t ks = keysymOf(k); ks != XKB_KEY_NoSymbol)
            presses.push_back({ks, k.shift, k.ctrl, k.alt});
        else result.notTyped += keyText(k);
    std::vector<xkb_keysym_t> keysyms;
    keysyms.reserve(presses.size());
    for (const Press& p : presses) keysyms.push_back(p.keysym);

    // The events of one stroke (modifiers, press, release) go out together:
    // a press whose release came later would start the window's key repeat
    // if this program were held up in between.
    std::uint32_t mods = 0;
    auto key = [&](std::uint32_t code, bool down) {
        zwp_virtual_keyboard_v1_key(keyboard_, now(), code,
                                    down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    };
    auto modifier = [&](bool wanted, std::uint32_t code, std::uint32_t mask, bool down) {
        if (!wanted) return;
        // A virtual keyboard's modifiers are what the client says they are,
        // not what its keys imply.
        mods = down ? mods | mask : mods & ~mask;
        key(code, down);
        zwp_virtual_keyboard_v1_modifiers(keyboard_, mods, 0, 0, 0);
    };

    std::size_t i = 0;
    bool ok = true;
    while (ok && i < presses.size()) {
        // The keymap of now serves as long as it has the keys: another
        // script may have typed in between with a keymap of its own.
        std::size_t end = i;
        if (layout_)
            while (end < presses.size() && layout_->covers(presses[end].keysym)) ++end;
        if (end == i) {
            layout_ = makeLayout(wantedKeys(keysyms, i, layout_.get()));
            if (!layout_ || !useLayout(*layout_)) break;
            continue;
        }
        const KeyLayout& layout = *layout_;
        for (; ok && i < end; ++i) {
            const Press& p = presses[i];
            const KeyPlace place = layout.places.at(p.keysym);
            const bool shift = p.shift || place.shift;
            modifier(p.ctrl, KeyLayout::kControlCode, layout.controlMask, true);
            modifier(p.alt, KeyLayout::kAltCode, layout.altMask, true);
            modifier(shift, KeyLayout::kShiftCode, layout.shiftMask, true);
            key(place.code, true);
            key(place.code, false);
            modifier(shift, KeyLayout::kShiftCode, layout.shiftMask, false);
            modifier(p.alt, KeyLayout::kAltCode, layout.altMask, false);
            modifier(p.ctrl, KeyLayout::kControlCode, layout.controlMask, false);
            ok = connection_->flush();
            pause();
        }
    }
    // Each stroke has released its modifiers; a compositor gone in between
    // is met anew at the next call.
    if (!connection_->roundtrip()) drop();
    return result;
}

} // namespace wendrel::wayland
