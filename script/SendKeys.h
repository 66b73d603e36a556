#pragma once
// The SendKeys notation of TYPE lines, read into the key strokes it stands
// for:
//   plain characters        type themselves (a tab or line feed types Tab or Enter)
//   +  ^  %                 Shift, Ctrl, Alt held over the next key or group
//   ( ... )                 a group, so that "+(ab)" holds Shift over a and b
//   ~                       Enter
//   {NAME} {NAME n}         a named key ({ENTER}, {F5}, {PGDN}...), n times
//   {c} {c n}               the character c itself, n times: {+} {~} {(} {{} {}}...
// Text that does not follow the notation (an unclosed brace or group, an
// unknown key name, a modifier with nothing after it) gives no strokes at
// all, so nothing half-typed reaches the window.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace wendrel {

struct KeyStroke {
    // A character to type (a Unicode code point), or 0 for a named key.
    char32_t character = 0;
    // The X keysym name of a named key ("Return", "F5", "Next"...), empty for
    // a character.
    std::string keysym;
    bool shift = false, ctrl = false, alt = false;

    bool hasModifiers() const { return shift || ctrl || alt; }
    bool operator==(const KeyStroke&) const = default;
};

// Limits past which a text is taken as malformed: the repeat count of one
// brace, the strokes of the whole text, and groups inside groups.
inline constexpr int kMaxKeyRepeat = 10000;
inline constexpr std::size_t kMaxKeyStrokes = 1000000;
inline constexpr int kMaxGroupDepth = 100;

// A stroke for the run history, without its modifiers: a character as
// itself (UTF-8), a named key as its keysym name in braces.
std::string keyText(const KeyStroke& stroke);

// The strokes of a text in the notation (UTF-8), in order; no value when the
// text is malformed.
std::optional<std::vector<KeyStroke>> parseSendKeys(const std::string& keys);

} // namespace wendrel
