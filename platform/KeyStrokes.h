#pragma once
// What the keystroke back ends (X11, wlroots, KWin) share: the keysym each
// stroke presses, and how they tell the user that the desktop refuses them.
#include <cstdint>
#include <functional>
#include <string>

#include "script/Platform.h"
#include "script/SendKeys.h"

namespace wendrel {

// The keysym that a stroke presses: a named key's by its name, a character's
// as XKB writes it (Latin-1 as itself, others by their legacy keysym where
// one exists, otherwise 0x01000000 plus the code point). 0 for none.
std::uint32_t keysymOf(const KeyStroke& stroke);

// The outcome of strokes that could not be sent at all.
KeysPressed noneTyped(std::span<const KeyStroke> strokes);

// Tells the user a sentence once; later calls say nothing.
class OnceNotice {
public:
    explicit OnceNotice(std::function<void(const std::string&)> tell) : tell_(std::move(tell)) {}
    void operator()(const std::string& text) {
        if (told_ || !tell_) return;
        told_ = true;
        tell_(text);
    }
    bool told() const { return told_ || !tell_; }

private:
    std::function<void(const std::string&)> tell_;
    bool told_ = false;
};

// Told when the desktop refuses this program's keystrokes.
inline constexpr const char* kTypingRefusedNotice =
    "The desktop does not let Wendrel type into other programs: TYPE lines send nothing.";

} // namespace wendrel
