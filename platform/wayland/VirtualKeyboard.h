#pragma once
// Keystrokes of TYPE lines on wlroots compositors (sway, labwc, river,
// Hyprland...), through a virtual keyboard of the seat. Its keymap is made for
// the keys of each line, so any character can be typed whatever the user's
// layout; the keys reach the window that has the focus.
#include <functional>
#include <memory>
#include <string>

#include "script/Platform.h"

struct zwp_virtual_keyboard_v1;

namespace wendrel::wayland {

class Connection;
struct KeyLayout;

class VirtualKeyboardSender : public KeySender {
public:
    // notice: told once, in a sentence for the user, when the compositor
    // will not let the program type.
    explicit VirtualKeyboardSender(std::function<void(const std::string&)> notice);
    ~VirtualKeyboardSender() override;
    VirtualKeyboardSender(const VirtualKeyboardSender&) = delete;
    VirtualKeyboardSender& operator=(const VirtualKeyboardSender&) = delete;

    // Malformed notation sends nothing. Every modifier is released by the
    // time it returns.
    void send(const std::string& keys, const Yield& yield = {}) override;

    // The pause after each key press or release: the receiving program gets
    // the keys in order whatever the pace, but a window that redraws after
    // each key must not fall far behind.
    // Keystrokes sent between two calls of the yield callback.
    static constexpr std::size_t ChunkStrokes = 32;
    static constexpr unsigned KeyDelayMicroseconds = 1500;

private:
    bool connect();
    void drop();
    bool useLayout(const KeyLayout& layout);

    std::function<void(const std::string&)> notice_;
    bool noticed_ = false;
    std::unique_ptr<Connection> connection_;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    std::unique_ptr<KeyLayout> layout_; // the keymap the compositor has now
};

} // namespace wendrel::wayland
