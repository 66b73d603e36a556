#pragma once
// Keystrokes of TYPE lines, sent to the active window of the X display as if
// typed on the keyboard (XTest, mostly through libxdo).
#include <string>
#include <utility>
#include <vector>

#include "script/Platform.h"

namespace wendrel {

class X11KeySender : public KeySender {
public:
    X11KeySender() = default;
    // Gives the spare keys it bound back to the keyboard mapping.
    ~X11KeySender() override;
    X11KeySender(const X11KeySender&) = delete;
    X11KeySender& operator=(const X11KeySender&) = delete;

    // A desktop without an X display gets nothing.
    KeysPressed press(std::span<const KeyStroke> strokes) override;

    // The pause between keystrokes, in microseconds: enough for the receiving
    // program to keep up, while 1,000 keys still go out in a few seconds.
    static constexpr unsigned kKeyDelayMicroseconds = 3000;

    // Keycodes bound to keysyms missing from the layout, the longest-bound
    // first: (keycode, keysym).
    using BoundKeys = std::vector<std::pair<unsigned char, unsigned long>>;

private:
    BoundKeys bound_;
    bool noDisplay_ = false;
};

} // namespace wendrel
