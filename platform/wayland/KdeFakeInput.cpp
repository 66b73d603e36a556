#include "platform/wayland/KdeFakeInput.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <bit>
#include <cstring>
#include <chrono>
#include <map>
#include <thread>
#include <vector>

#include "fake-input-client-protocol.h"
#include "platform/KeyStrokes.h"
#include "platform/wayland/WaylandClient.h"

namespace wendrel::wayland {

// The user's keyboard layout as KWin has it: for each keysym the key that
// gives it with the fewest modifiers, and the keys that set each modifier.
struct UserLayout {
    struct Place {
        xkb_keycode_t key = 0;
        xkb_mod_mask_t mods = 0;
    };
    std::map<xkb_keysym_t, Place> places;
    std::map<xkb_mod_mask_t, xkb_keycode_t> modifierKeys; // one modifier bit -> its key
    xkb_keycode_t control = 0, alt = 0;
    xkb_mod_mask_t shift = 0;

    explicit UserLayout(xkb_keymap* keymap) {
        xkb_state* state = xkb_state_new(keymap);
        const xkb_keycode_t first = xkb_keymap_min_keycode(keymap), last = xkb_keymap_max_keycode(keymap);
        // The modifier keys first: what a key sets is what the keymap's state
        // holds while it alone is down.
        for (xkb_keycode_t kc = first; state && kc <= last; ++kc) {
            const xkb_keysym_t* syms = nullptr;
            if (xkb_keymap_key_get_syms_by_level(keymap, kc, 0, 0, &syms) != 1) continue;
            if (syms[0] == XKB_KEY_Control_L && !control) control = kc;
            if (syms[0] == XKB_KEY_Alt_L && !alt) alt = kc;
            if (syms[0] != XKB_KEY_Shift_L && syms[0] != XKB_KEY_ISO_Level3_Shift) continue;
            xkb_state_update_key(state, kc, XKB_KEY_DOWN);
            const xkb_mod_mask_t mask = xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED);
            xkb_state_update_key(state, kc, XKB_KEY_UP);
            if (std::popcount(mask) != 1 || modifierKeys.count(mask)) continue;
            modifierKeys[mask] = kc;
            if (syms[0] == XKB_KEY_Shift_L) shift = mask;
        }
        if (state) xkb_state_unref(state);

        for (xkb_keycode_t kc = first; kc <= last; ++kc) {
            const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, kc, 0);
            for (xkb_level_index_t level = 0; level < levels; ++level) {
                const xkb_keysym_t* syms = nullptr;
                if (xkb_keymap_key_get_syms_by_level(keymap, kc, 0, level, &syms) != 1) continue;
                xkb_mod_mask_t masks[16];
                const std::size_t count = xkb_keymap_key_get_mods_for_level(keymap, kc, 0, level, masks, 16);
                for (std::size_t i = 0; i < count; ++i) {
                    if (!pressable(masks[i])) continue;
                    auto it = places.find(syms[0]);
                    if (it == places.end() || std::popcount(masks[i]) < std::popcount(it->second.mods))
                        places[syms[0]] = {kc, masks[i]};
                }
            }
        }
    }

    // Whether the modifiers of a mask can be set by pressing keys (a locked
    // one, such as Caps Lock, cannot be relied on).
    bool pressable(xkb_mod_mask_t mask) const {
        for (xkb_mod_mask_t bit = 1; bit; bit <<= 1)
            if ((mask & bit) && !modifierKeys.count(bit)) return false;
        return true;
    }
};

KdeFakeInputSender::KdeFakeInputSender(std::function<void(const std::string&)> notice)
    : refused_(notice), missing_(notice) {}

KdeFakeInputSender::~KdeFakeInputSender() { drop(); }

void KdeFakeInputSender::drop() {
    if (keyboard_) wl_keyboard_destroy(keyboard_);
    keyboard_ = nullptr;
    connection_.reset();
    layout_.reset();
}

void KdeFakeInputSender::keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size) {
    auto* self = static_cast<KdeFakeInputSender*>(data);
    void* map =
        format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    close(fd);
    if (map == MAP_FAILED) return;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = context ? xkb_keymap_new_from_buffer(context, static_cast<const char*>(map),
                                                              strnlen(static_cast<const char*>(map), size),
                                                              XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS)
                                 : nullptr;
    munmap(map, size);
    if (keymap) {
        self->layout_ = std::make_unique<UserLayout>(keymap);
        xkb_keymap_unref(keymap);
    }
    if (context) xkb_context_unref(context);
}

bool KdeFakeInputSender::connect() {
    if (connection_ && !connection_->failed()) return connection_->roundtrip(); // takes a layout switched since
    drop();
    connection_ = Connection::open();
    if (connection_ && connection_->kdeFakeInput() && connection_->seat()) {
        org_kde_kwin_fake_input_authenticate(connection_->kdeFakeInput(), "Wendrel",
                                             "Types the keystrokes of scheduled tasks into the programs they start");
        // The seat tells a new keyboard its keymap at once.
        keyboard_ = wl_seat_get_keyboard(connection_->seat());
        static const wl_keyboard_listener listener = {
            &KdeFakeInputSender::keymap,
            [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
            [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
            [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
            [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
            [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
        };
        wl_keyboard_add_listener(keyboard_, &listener, this);
        if (connection_->roundtrip() && connection_->roundtrip() && layout_) return true;
    }
    drop();
    refused_(kTypingRefusedNotice);
    return false;
}

KeysPressed KdeFakeInputSender::press(std::span<const KeyStroke> strokes) {
    if (strokes.empty()) return {};
    if (!connect()) return noneTyped(strokes);
    KeysPressed result;
    org_kde_kwin_fake_input* input = connection_->kdeFakeInput();
    const UserLayout& layout = *layout_;
    auto key = [&](xkb_keycode_t kc, bool down) {
        if (kc)
            org_kde_kwin_fake_input_keyboard_key(input, kc - 8,
                                                 down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    };
    bool missing = false;
    for (const KeyStroke& k : strokes) {
        const auto place = layout.places.find(keysymOf(k));
        if (place == layout.places.end()) {
            missing = true;
            result.notTyped += keyText(k);
            continue;
        }
        // The keys to hold: Ctrl and Alt as asked, and the modifiers of the
        // key's level plus Shift as asked.
        std::vector<xkb_keycode_t> held;
        if (k.ctrl) held.push_back(layout.control);
        if (k.alt) held.push_back(layout.alt);
        xkb_mod_mask_t mods = place->second.mods;
        if (k.shift) mods |= layout.shift;
        for (const auto& [bit, kc] : layout.modifierKeys)
            if (mods & bit) held.push_back(kc);
        // One stroke goes out in one piece, so that the window's key repeat
        // cannot start in between.
        for (xkb_keycode_t kc : held) key(kc, true);
        key(place->second.key, true);
        key(place->second.key, false);
        for (auto it = held.rbegin(); it != held.rend(); ++it) key(*it, false);
        if (!connection_->flush()) break;
        std::this_thread::sleep_for(std::chrono::microseconds(kKeyDelayMicroseconds));
    }
    if (!connection_->roundtrip()) drop();
    if (missing) missing_("A TYPE line has characters that the keyboard layout lacks; they were left out.");
    return result;
}

} // namespace wendrel::wayland
