#include "platform/wayland/KeymapText.h"

#include <set>

namespace wendrel::wayland {

namespace {

// The two keysyms of a letter's key, lower case first; one keysym for
// anything without a case pair (or with an irregular one).
std::vector<xkb_keysym_t> keyOf(xkb_keysym_t ks) {
    const xkb_keysym_t upper = xkb_keysym_to_upper(ks), lower = xkb_keysym_to_lower(ks);
    if (upper != ks && xkb_keysym_to_lower(upper) == ks) return {ks, upper};
    if (lower != ks && xkb_keysym_to_upper(lower) == ks) return {lower, ks};
    return {ks};
}

std::string keysymName(xkb_keysym_t ks) {
    char name[64];
    if (xkb_keysym_get_name(ks, name, sizeof name) <= 0) return {};
    return name;
}

} // namespace

std::unique_ptr<KeyLayout> makeLayout(const std::vector<std::vector<xkb_keysym_t>>& keys) {
    auto layout = std::make_unique<KeyLayout>();
    std::string codes, symbols;
    auto addKey = [&](std::uint32_t code, const std::vector<xkb_keysym_t>& syms) {
        const std::string id = "<K" + std::to_string(code) + ">";
        codes += "    " + id + " = " + std::to_string(code + 8) + ";\n";
        symbols += "    key " + id + " { type = \"" + (syms.size() == 2 ? "TWO_LEVEL" : "ONE_LEVEL") + "\", [ ";
        for (std::size_t i = 0; i < syms.size(); ++i) {
            symbols += (i ? ", " : "") + keysymName(syms[i]);
            layout->places[syms[i]] = {code, i == 1};
        }
        symbols += " ] };\n";
    };
    addKey(KeyLayout::kShiftCode, {XKB_KEY_Shift_L});
    addKey(KeyLayout::kControlCode, {XKB_KEY_Control_L});
    addKey(KeyLayout::kAltCode, {XKB_KEY_Alt_L});
    std::uint32_t code = 1;
    for (const auto& key : keys) {
        while (code == KeyLayout::kShiftCode || code == KeyLayout::kControlCode || code == KeyLayout::kAltCode) ++code;
        if (code > KeyLayout::kLastCode) return nullptr;
        addKey(code++, key);
    }
    layout->keys = keys;
    symbols += "    modifier_map Shift { <K42> };\n    modifier_map Control { <K29> };\n"
               "    modifier_map Mod1 { <K56> };\n";
    layout->text = "xkb_keymap {\n"
                   "xkb_keycodes \"wendrel\" {\n    minimum = 8;\n    maximum = 255;\n" +
                   codes +
                   "};\n"
                   "xkb_types \"wendrel\" {\n"
                   "    type \"ONE_LEVEL\" { modifiers = none; level_name[Level1] = \"Any\"; };\n"
                   "    type \"TWO_LEVEL\" { modifiers = Shift; map[Shift] = Level2;\n"
                   "        level_name[Level1] = \"Base\"; level_name[Level2] = \"Shift\"; };\n"
                   "};\n"
                   "xkb_compatibility \"wendrel\" {\n"
                   "    interpret Any + AnyOf(all) { action = SetMods(modifiers = modMapMods, clearLocks); };\n"
                   "};\n"
                   "xkb_symbols \"wendrel\" {\n" +
                   symbols +
                   "};\n"
                   "};\n";

    // Read it back as the compositor will, for the masks of the modifiers
    // (and so that a keymap XKB rejects is never sent).
    xkb_context* context = xkb_context_new(
        static_cast<xkb_context_flags>(XKB_CONTEXT_NO_DEFAULT_INCLUDES | XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
    if (!context) return nullptr;
    xkb_keymap* keymap = xkb_keymap_new_from_string(context, layout->text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap) {
        layout->shiftMask = 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT);
        layout->controlMask = 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_CTRL);
        layout->altMask = 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_ALT);
        xkb_keymap_unref(keymap);
    }
    xkb_context_unref(context);
    return keymap ? std::move(layout) : nullptr;
}

std::vector<std::vector<xkb_keysym_t>> wantedKeys(const std::vector<xkb_keysym_t>& keysyms, std::size_t first,
                                                  const KeyLayout* current) {
    std::vector<std::vector<xkb_keysym_t>> wanted;
    std::set<xkb_keysym_t> seen;
    auto add = [&](const std::vector<xkb_keysym_t>& syms) {
        if (wanted.size() < kKeyCapacity && seen.insert(syms[0]).second) wanted.push_back(syms);
    };
    for (std::size_t i = first; i < keysyms.size(); ++i) add(keyOf(keysyms[i]));
    if (current)
        for (const auto& key : current->keys) add(key);
    return wanted;
}

} // namespace wendrel::wayland
