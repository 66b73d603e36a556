#include "platform/wayland/VirtualKeyboard.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "platform/KeyStrokes.h"
#include "platform/wayland/WaylandClient.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace wendrel::wayland {

// Where a keysym sits in a generated keymap: its key (an evdev code, the
// keymap's keycode less 8) and whether Shift picks it (the upper case of a
// letter shares the key of the lower case, as on a real keyboard, so that
// Shift with a letter gives the capital).
struct KeyPlace {
    std::uint32_t code = 0;
    bool shift = false;
};

struct KeyLayout {
    // The modifier keys sit where a PC keyboard has them.
    static constexpr std::uint32_t kShiftCode = 42, kControlCode = 29, kAltCode = 56;
    // The highest evdev code that X programs (through Xwayland) can still
    // receive: X keycodes end at 255.
    static constexpr std::uint32_t kLastCode = 247;

    std::map<xkb_keysym_t, KeyPlace> places;
    std::vector<std::vector<xkb_keysym_t>> keys; // the keys besides the modifiers
    std::string text;                            // the keymap in XKB's text format
    std::uint32_t shiftMask = 0, controlMask = 0, altMask = 0;

    bool covers(xkb_keysym_t ks) const { return places.count(ks) != 0; }
};

namespace {

// The two keysyms of a letter's key, lower case first; one keysym for
// anything without a case pair (or with an irregular one).
std::vector<xkb_keysym_t> keyOf(xkb_keysym_t ks) {
    const xkb_keysym_t upper = xkb_keysym_to_upper(ks), lower = xkb_keysym_to_lower(ks);
    if (upper != ks && xkb_keysym_to_lower(upper) == ks) return {ks, upper};
    if (lower != ks && xkb_keysym_to_upper(lower) == ks) return {lower, ks};
    return {ks};
}

std::string keysymName(xkb_keysym_t ks) {
    char name[64];
    if (xkb_keysym_get_name(ks, name, sizeof name) <= 0) return {};
    return name;
}

// The number of keys a keymap can hold for the characters and named keys of
// a line, besides the three modifiers.
constexpr std::size_t kKeyCapacity = KeyLayout::kLastCode - 3;

// A keymap with a key for each of these keys (each one or two keysyms) and
// the three modifiers, or no value if XKB cannot read it back.
std::unique_ptr<KeyLayout> makeLayout(const std::vector<std::vector<xkb_keysym_t>>& keys) {
    auto layout = std::make_unique<KeyLayout>();
    std::string codes, symbols;
    auto addKey = [&](std::uint32_t code, const std::vector<xkb_keysym_t>& syms) {
        const std::string id = "<K" + std::to_string(code) + ">";
        codes += "    " + id + " = " + std::to_string(code + 8) + ";\n";
        symbols += "    key " + id + " { type = \"" + (syms.size() == 2 ? "TWO_LEVEL" : "ONE_LEVEL") + "\", [ ";
        for (std::size_t i = 0; i < syms.size(); ++i) {
            symbols += (i ? ", " : "") + keysymName(syms[i]);
            layout->places[syms[i]] = {code, i == 1};
        }
        symbols += " ] };\n";
    };
    addKey(KeyLayout::kShiftCode, {XKB_KEY_Shift_L});
    addKey(KeyLayout::kControlCode, {XKB_KEY_Control_L});
    addKey(KeyLayout::kAltCode, {XKB_KEY_Alt_L});
    std::uint32_t code = 1;
    for (const auto& key : keys) {
        while (code == KeyLayout::kShiftCode || code == KeyLayout::kControlCode || code == KeyLayout::kAltCode) ++code;
        if (code > KeyLayout::kLastCode) return nullptr;
        addKey(code++, key);
    }
    layout->keys = keys;
    symbols += "    modifier_map Shift { <K42> };\n    modifier_map Control { <K29> };\n"
               "    modifier_map Mod1 { <K56> };\n";
    layout->text = "xkb_keymap {\n"
                   "xkb_keycodes \"wendrel\" {\n    minimum = 8;\n    maximum = 255;\n" +
                   codes +
                   "};\n"
                   "xkb_types \"wendrel\" {\n"
                   "    type \"ONE_LEVEL\" { modifiers = none; level_name[Level1] = \"Any\"; };\n"
                   "    type \"TWO_LEVEL\" { modifiers = Shift; map[Shift] = Level2;\n"
                   "        level_name[Level1] = \"Base\"; level_name[Level2] = \"Shift\"; };\n"
                   "};\n"
                   "xkb_compatibility \"wendrel\" {\n"
                   "    interpret Any + AnyOf(all) { action = SetMods(modifiers = modMapMods, clearLocks); };\n"
                   "};\n"
                   "xkb_symbols \"wendrel\" {\n" +
                   symbols +
                   "};\n"
                   "};\n";

    // Read it back as the compositor will, for the masks of the modifiers
    // (and so that a keymap XKB rejects is never sent).
    xkb_context* context = xkb_context_new(
        static_cast<xkb_context_flags>(XKB_CONTEXT_NO_DEFAULT_INCLUDES | XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
    if (!context) return nullptr;
    xkb_keymap* keymap = xkb_keymap_new_from_string(context, layout->text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap) {
        layout->shiftMask = 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT);
        layout->controlMask = 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_CTRL);
        layout->altMask = 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_ALT);
        xkb_keymap_unref(keymap);
    }
    xkb_context_unref(context);
    return keymap ? std::move(layout) : nullptr;
}

struct Press {
    xkb_keysym_t keysym;
    bool shift, ctrl, alt;
};

// The keys of a new keymap: those of the presses from the first one on, as
// many as a keymap holds, then those of the keymap in use while there is
// room, so that over the chunks of a long text the keymap grows to cover its
// characters rather than being replaced for each chunk.
std::vector<std::vector<xkb_keysym_t>> wantedKeys(const std::vector<Press>& presses, std::size_t first,
                                                  const KeyLayout* current) {
    std::vector<std::vector<xkb_keysym_t>> wanted;
    std::set<xkb_keysym_t> seen;
    auto add = [&](const std::vector<xkb_keysym_t>& syms) {
        if (wanted.size() < kKeyCapacity && seen.insert(syms[0]).second) wanted.push_back(syms);
    };
    for (std::size_t i = first; i < presses.size(); ++i) add(keyOf(presses[i].keysym));
    if (current)
        for (const auto& key : current->keys) add(key);
    return wanted;
}

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

void VirtualKeyboardSender::press(std::span<const KeyStroke> strokes) {
    if (strokes.empty() || !connect()) return;

    std::vector<Press> presses;
    presses.reserve(strokes.size());
    for (const KeyStroke& k : strokes)
        if (const xkb_keysym_t ks = keysymOf(k); ks != XKB_KEY_NoSymbol)
            presses.push_back({ks, k.shift, k.ctrl, k.alt});

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
            layout_ = makeLayout(wantedKeys(presses, i, layout_.get()));
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
}

} // namespace wendrel::wayland
