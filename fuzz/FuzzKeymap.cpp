// The keymaps of the wlroots virtual keyboard for any TYPE text: every stroke
// the notation can give gets a key in a keymap XKB accepts, keymaps made
// chunk after chunk always cover the next stroke (so typing never stalls),
// and no key takes the place of a modifier or lies beyond what X programs
// receive.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/KeyStrokes.h"
#include "platform/wayland/KeymapText.h"
#include "script/SendKeys.h"

using namespace wendrel;
using namespace wendrel::wayland;

namespace {
void check(const KeyLayout& layout) {
    if (!layout.shiftMask || !layout.controlMask || !layout.altMask) std::abort();
    for (const auto& [keysym, place] : layout.places) {
        (void)keysym;
        if (place.code < 1 || place.code > KeyLayout::kLastCode) std::abort();
        if (place.code == KeyLayout::kShiftCode && keysym != XKB_KEY_Shift_L) std::abort();
        if (place.code == KeyLayout::kControlCode && keysym != XKB_KEY_Control_L) std::abort();
        if (place.code == KeyLayout::kAltCode && keysym != XKB_KEY_Alt_L) std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::vector<KeyStroke>> strokes = parseSendKeys(text);
    if (!strokes) return 0;
    std::vector<xkb_keysym_t> keysyms;
    for (const KeyStroke& k : *strokes)
        if (const xkb_keysym_t ks = keysymOf(k); ks != XKB_KEY_NoSymbol) keysyms.push_back(ks);
    // As the sender goes: the keymap in use while it covers the strokes, a
    // new one for the first stroke it lacks.
    std::unique_ptr<KeyLayout> layout;
    int made = 0;
    for (std::size_t i = 0; i < keysyms.size();) {
        if (layout && layout->covers(keysyms[i])) {
            ++i;
            continue;
        }
        layout = makeLayout(wantedKeys(keysyms, i, layout.get()));
        if (!layout || !layout->covers(keysyms[i])) std::abort();
        check(*layout);
        if (++made > 64) return 0; // a long text of many distinct keys: enough
    }
    return 0;
}
