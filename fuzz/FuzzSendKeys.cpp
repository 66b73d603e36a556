// The SendKeys parser on any text: it never fails, stays within its limits,
// and every stroke is a valid character or a named key, never both.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "script/SendKeys.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto strokes = wendrel::parseSendKeys(text);
    if (!strokes) return 0;
    if (strokes->size() > wendrel::kMaxKeyStrokes) std::abort();
    for (const wendrel::KeyStroke& k : *strokes) {
        if (k.keysym.empty() == (k.character == 0)) std::abort();
        if (k.character > 0x10FFFF || (k.character != 0 && k.character < 0x20 && k.character != ' ')) std::abort();
    }
    return 0;
}
