#include "platform/wayland/KdeFakeInput.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <thread>
#include <vector>

#include "fake-input-client-protocol.h"
#include "platform/KeyStrokes.h"
#include "platform/wayland/UserLayout.h"
#include "platform/wayland/WaylandClient.h"

namespace wendrel::wayland {

KdeFakeInputSender::KdeFakeInputSender(std::function<void(const std::string&)> notice)
    : refused_(notice), missing_(notice) {}

KdeFakeInputSender::~KdeFakeInputSender() { drop(); }

void KdeFakeInputSender::drop() {
    seat_.reset();
    connection_.reset();
}

bool KdeFakeInputSender::connect() {
    if (connection_ && !connection_->failed()) return connection_->roundtrip(); // takes a layout switched since
    drop();
    connection_ = Connection::open();
    if (connection_ && connection_->kdeFakeInput() && connection_->seat()) {
        org_kde_kwin_fake_input_authenticate(connection_->kdeFakeInput(), "Wendrel",
                                             "Types the keystrokes of scheduled tasks into the programs they start");
        // The seat tells a new keyboard its keymap at once.
        seat_ = std::make_unique<SeatLayout>(*connection_);
        if (connection_->roundtrip() && connection_->roundtrip() && seat_->layout()) return true;
    }
    drop();
    refused_(kTypingRefusedNotice);
    return false;
}

KeysPressed KdeFakeInputSender::press(std::span<const KeyStroke> strokes) {
    if (strokes.empty()) return {};
    if (!connect()) return noneTyped(strokes);
    org_kde_kwin_fake_input* input = connection_->kdeFakeInput();
    const UserLayout& layout = *seat_->layout();
    auto key = [&](xkb_keycode_t kc, bool down) {
        if (kc)
            org_kde_kwin_fake_input_keyboard_key(input, kc - 8,
                                                 down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    };
    bool missing = false;
    KeysPressed result;
    for (const KeyStroke& k : strokes) {
        const std::optional<std::vector<xkb_keycode_t>> keys = layout.keysFor(k);
        if (!keys) {
            missing = true;
            result.notTyped += keyText(k);
            continue;
        }
        // One stroke goes out in one piece, so that the window's key repeat
        // cannot start in between.
        for (xkb_keycode_t kc : *keys) key(kc, true);
        for (auto it = keys->rbegin(); it != keys->rend(); ++it) key(*it, false);
        if (!connection_->flush()) break;
        std::this_thread::sleep_for(std::chrono::microseconds(kKeyDelayMicroseconds));
    }
    if (!connection_->roundtrip()) drop();
    if (missing) missing_("A TYPE line has characters that the keyboard layout lacks; they were left out.");
    return result;
}

} // namespace wendrel::wayland
