#include "platform/KeyStrokes.h"

#include <xkbcommon/xkbcommon.h>

namespace wendrel {

std::uint32_t keysymOf(const KeyStroke& stroke) {
    if (!stroke.character) return xkb_keysym_from_name(stroke.keysym.c_str(), XKB_KEYSYM_NO_FLAGS);
    return xkb_utf32_to_keysym(stroke.character);
}

} // namespace wendrel
