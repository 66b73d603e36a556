#include "platform/KeyStrokes.h"

#include <xkbcommon/xkbcommon.h>

namespace wendrel {

std::uint32_t keysymOf(const KeyStroke& stroke) {
    if (!stroke.character) return xkb_keysym_from_name(stroke.keysym.c_str(), XKB_KEYSYM_NO_FLAGS);
    return xkb_utf32_to_keysym(stroke.character);
}

KeysPressed noneTyped(std::span<const KeyStroke> strokes) {
    KeysPressed result;
    for (const KeyStroke& k : strokes) result.notTyped += keyText(k);
    return result;
}

} // namespace wendrel
