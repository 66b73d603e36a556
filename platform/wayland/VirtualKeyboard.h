#pragma once
// Keystrokes of TYPE lines on wlroots compositors (sway, labwc, river,
// Hyprland...), through a virtual keyboard of the seat. Its keymap is made for
// the keys of each line, so any character can be typed whatever the user's
// layout; the keys reach the window that has the focus.
#include <functional>
#include <memory>
#include <string>

#include "platform/KeyStrokes.h"
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

    KeysPressed press(std::span<const KeyStroke> strokes) override;

    // The pause after each keystroke: the receiving program gets the keys in
    // order whatever the pace, but a window that redraws after each key must
    // not fall far behind.
    static constexpr unsigned kKeyDelayMicroseconds = 1500;

private:
    bool connect();
    void drop();
    bool useLayout(const KeyLayout& layout);

    OnceNotice notice_;
    std::unique_ptr<Connection> connection_;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    std::unique_ptr<KeyLayout> layout_; // the keymap the compositor has now
};

} // namespace wendrel::wayland
