#pragma once
// The keymaps that the wlroots virtual keyboard hands the compositor: one key
// for each character or named key of a line (its lower and upper case on one
// key), and the three modifiers where a PC keyboard has them, in XKB's text
// format. Pure text and xkbcommon, so it can be checked on its own.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <xkbcommon/xkbcommon.h>

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

// The number of keys a keymap can hold for the characters and named keys of
// a line, besides the three modifiers.
inline constexpr std::size_t kKeyCapacity = KeyLayout::kLastCode - 3;

// A keymap with a key for each of these keys (each one or two keysyms) and
// the three modifiers, or no value if XKB cannot read it back.
std::unique_ptr<KeyLayout> makeLayout(const std::vector<std::vector<xkb_keysym_t>>& keys);

// The keys of a new keymap: those of the keysyms from the first one on, as
// many as a keymap holds, then those of the keymap in use while there is
// room, so that over the chunks of a long text the keymap grows to cover its
// characters rather than being replaced for each chunk.
std::vector<std::vector<xkb_keysym_t>> wantedKeys(const std::vector<xkb_keysym_t>& keysyms, std::size_t first,
                                                  const KeyLayout* current);

} // namespace wendrel::wayland
