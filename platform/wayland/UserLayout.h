#pragma once
// The user's keyboard layout as the compositor has it, looked at the other way
// round: which key, with which modifiers held, gives a character. Desktops
// that press keys on a keyboard of their own (KWin's fake input, mutter's
// remote desktop) type with this layout, so a character is typed with the key
// (and Shift, AltGr or both) that gives it there.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <xkbcommon/xkbcommon.h>

#include "script/SendKeys.h"

struct wl_keyboard;
struct wl_seat;

namespace wendrel::wayland {

class Connection;

struct UserLayout {
    struct Place {
        xkb_keycode_t key = 0;
        xkb_mod_mask_t mods = 0;
    };
    // For each keysym the key that gives it with the fewest modifiers, in the
    // layout (group) that is active.
    std::map<xkb_keysym_t, Place> places;
    std::map<xkb_mod_mask_t, xkb_keycode_t> modifierKeys; // one modifier bit -> its key
    xkb_keycode_t control = 0, alt = 0, shiftKey = 0;
    xkb_mod_mask_t shift = 0;

    UserLayout(xkb_keymap* keymap, xkb_layout_index_t group);

    // The XKB keycodes to press for a stroke, in order: the modifiers to hold
    // first, the key itself last. To release them, go backwards. No value for
    // a stroke the layout cannot give.
    std::optional<std::vector<xkb_keycode_t>> keysFor(const KeyStroke& stroke) const;

private:
    // Whether the modifiers of a mask can be set by pressing keys (a locked
    // one, such as Caps Lock, cannot be relied on).
    bool pressable(xkb_mod_mask_t mask) const;
};

// The keymap of the seat of a Wayland connection, kept up to date: the
// compositor sends it to each keyboard object when it is made and again when
// the user switches layouts.
class SeatLayout {
public:
    // Asks the connection's seat for a keyboard; a roundtrip brings its keymap
    // (the second one, when the seat has just got its keyboard).
    explicit SeatLayout(Connection& connection);
    ~SeatLayout();
    SeatLayout(const SeatLayout&) = delete;
    SeatLayout& operator=(const SeatLayout&) = delete;

    // Null until the compositor has sent a keymap that XKB can read.
    const UserLayout* layout() const { return layout_.get(); }
    // Whether the seat has a keyboard, as last told.
    bool hasKeyboard() const { return hasKeyboard_; }

private:
    static void keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size);
    static void modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t group);
    void rebuild();
    void capabilities(wl_seat* seat, bool keyboard);

    wl_keyboard* keyboard_ = nullptr;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_layout_index_t group_ = 0;
    bool hasKeyboard_ = false;
    std::unique_ptr<UserLayout> layout_;
};

} // namespace wendrel::wayland
