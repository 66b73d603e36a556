#include "platform/wayland/UserLayout.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <bit>
#include <cstring>

#include "platform/KeyStrokes.h"
#include "platform/wayland/WaylandClient.h"

namespace wendrel::wayland {

UserLayout::UserLayout(xkb_keymap* keymap, xkb_layout_index_t group) {
    xkb_state* state = xkb_state_new(keymap);
    const xkb_keycode_t first = xkb_keymap_min_keycode(keymap), last = xkb_keymap_max_keycode(keymap);
    // The modifier keys first: what a key sets is what the keymap's state
    // holds while it alone is down.
    for (xkb_keycode_t kc = first; state && kc <= last; ++kc) {
        const xkb_keysym_t* syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(keymap, kc, group, 0, &syms) != 1) continue;
        if (syms[0] == XKB_KEY_Control_L && !control) control = kc;
        if (syms[0] == XKB_KEY_Alt_L && !alt) alt = kc;
        if (syms[0] != XKB_KEY_Shift_L && syms[0] != XKB_KEY_ISO_Level3_Shift) continue;
        xkb_state_update_key(state, kc, XKB_KEY_DOWN);
        const xkb_mod_mask_t mask = xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED);
        xkb_state_update_key(state, kc, XKB_KEY_UP);
        if (std::popcount(mask) != 1 || modifierKeys.count(mask)) continue;
        modifierKeys[mask] = kc;
        if (syms[0] == XKB_KEY_Shift_L) shift = mask, shiftKey = kc;
    }
    if (state) xkb_state_unref(state);

    for (xkb_keycode_t kc = first; kc <= last; ++kc) {
        const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, kc, group);
        for (xkb_level_index_t level = 0; level < levels; ++level) {
            const xkb_keysym_t* syms = nullptr;
            if (xkb_keymap_key_get_syms_by_level(keymap, kc, group, level, &syms) != 1) continue;
            xkb_mod_mask_t masks[16];
            const std::size_t count = xkb_keymap_key_get_mods_for_level(keymap, kc, group, level, masks, 16);
            for (std::size_t i = 0; i < count; ++i) {
                if (!pressable(masks[i])) continue;
                auto it = places.find(syms[0]);
                if (it == places.end() || std::popcount(masks[i]) < std::popcount(it->second.mods))
                    places[syms[0]] = {kc, masks[i]};
            }
        }
    }
}

bool UserLayout::pressable(xkb_mod_mask_t mask) const {
    for (xkb_mod_mask_t bit = 1; bit; bit <<= 1)
        if ((mask & bit) && !modifierKeys.count(bit)) return false;
    return true;
}

std::optional<std::vector<xkb_keycode_t>> UserLayout::keysFor(const KeyStroke& stroke) const {
    const auto place = places.find(keysymOf(stroke));
    if (place == places.end()) return std::nullopt;
    // Ctrl and Alt as asked, and the modifiers of the key's level plus Shift
    // as asked.
    std::vector<xkb_keycode_t> keys;
    if (stroke.ctrl && control) keys.push_back(control);
    if (stroke.alt && alt) keys.push_back(alt);
    xkb_mod_mask_t mods = place->second.mods;
    if (stroke.shift) mods |= shift;
    for (const auto& [bit, kc] : modifierKeys)
        if (mods & bit) keys.push_back(kc);
    keys.push_back(place->second.key);
    return keys;
}

// The keyboard is asked for once the seat has one: mutter does not cope
// with a keyboard object made before it.
SeatLayout::SeatLayout(Connection& connection) {
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!connection.seat() || !context_) return;
    static const wl_seat_listener seatListener = {
        [](void* data, wl_seat* seat, std::uint32_t caps) {
            static_cast<SeatLayout*>(data)->capabilities(seat, caps & WL_SEAT_CAPABILITY_KEYBOARD);
        },
        [](void*, wl_seat*, const char*) {},
    };
    wl_seat_add_listener(connection.seat(), &seatListener, this);
}

void SeatLayout::capabilities(wl_seat* seat, bool keyboard) {
    hasKeyboard_ = keyboard;
    if (!keyboard || keyboard_) return;
    keyboard_ = wl_seat_get_keyboard(seat);
    static const wl_keyboard_listener listener = {
        &SeatLayout::keymap,
        [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
        [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
        [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
        &SeatLayout::modifiers,
        [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
    };
    wl_keyboard_add_listener(keyboard_, &listener, this);
}

SeatLayout::~SeatLayout() {
    if (keyboard_) wl_keyboard_destroy(keyboard_);
    if (keymap_) xkb_keymap_unref(keymap_);
    if (context_) xkb_context_unref(context_);
}

void SeatLayout::keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size) {
    auto* self = static_cast<SeatLayout*>(data);
    void* map =
        format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    close(fd);
    if (map == MAP_FAILED) return;
    xkb_keymap* keymap = xkb_keymap_new_from_buffer(self->context_, static_cast<const char*>(map),
                                                    strnlen(static_cast<const char*>(map), size),
                                                    XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(map, size);
    if (!keymap) return;
    if (self->keymap_) xkb_keymap_unref(self->keymap_);
    self->keymap_ = keymap;
    self->group_ = 0;
    self->rebuild();
}

// The active layout of several (the user's input sources) is the keyboard's
// locked group.
void SeatLayout::modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                           std::uint32_t group) {
    auto* self = static_cast<SeatLayout*>(data);
    if (group == self->group_) return;
    self->group_ = group;
    self->rebuild();
}

void SeatLayout::rebuild() {
    if (!keymap_) return;
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts(keymap_);
    layout_ = std::make_unique<UserLayout>(keymap_, layouts && group_ < layouts ? group_ : 0);
}

} // namespace wendrel::wayland
