#include "script/SendKeys.h"

#include <cstdint>
#include <string_view>

#include "model/AsciiCase.h"
#include "model/Cp1252.h"

namespace wendrel {

namespace {

struct Modifiers {
    bool shift = false, ctrl = false, alt = false;
};

// The named keys of the notation and their X keysyms.
const char* keysymOfName(std::string_view written) {
    const std::string name = upperAscii(written);
    struct Named {
        std::string_view name;
        const char* keysym;
    };
    static constexpr Named kTable[] = {
        {"ENTER", "Return"},
        {"TAB", "Tab"},
        {"ESC", "Escape"},
        {"ESCAPE", "Escape"},
        {"BS", "BackSpace"},
        {"BKSP", "BackSpace"},
        {"BACKSPACE", "BackSpace"},
        {"DEL", "Delete"},
        {"DELETE", "Delete"},
        {"INS", "Insert"},
        {"INSERT", "Insert"},
        {"HOME", "Home"},
        {"END", "End"},
        {"PGUP", "Prior"},
        {"PGDN", "Next"},
        {"UP", "Up"},
        {"DOWN", "Down"},
        {"LEFT", "Left"},
        {"RIGHT", "Right"},
        {"BREAK", "Break"},
        {"CAPSLOCK", "Caps_Lock"},
        {"NUMLOCK", "Num_Lock"},
        {"SCROLLLOCK", "Scroll_Lock"},
        {"PRTSC", "Print"},
        {"HELP", "Help"},
        {"ADD", "KP_Add"},
        {"SUBTRACT", "KP_Subtract"},
        {"MULTIPLY", "KP_Multiply"},
        {"DIVIDE", "KP_Divide"},
    };
    for (const Named& n : kTable)
        if (n.name == name) return n.keysym;
    static const char* const functionKeys[] = {"F1", "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",
                                               "F9", "F10", "F11", "F12", "F13", "F14", "F15", "F16"};
    for (const char* f : functionKeys)
        if (name == f) return f;
    return nullptr;
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    bool parse(std::vector<KeyStroke>& out) {
        out_ = &out;
        return sequence(Modifiers{}, false) && pos_ == text_.size();
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::vector<KeyStroke>* out_ = nullptr;
    int depth_ = 0;

    bool atEnd() const { return pos_ >= text_.size(); }

    // Keys up to the end of the text, or up to the ")" that closes a group.
    bool sequence(Modifiers held, bool inGroup) {
        while (!atEnd()) {
            if (text_[pos_] == ')') {
                if (!inGroup) return false;
                ++pos_;
                return true;
            }
            if (!item(held)) return false;
        }
        return !inGroup; // a group still open at the end
    }

    // One key or group, with the modifiers written before it.
    bool item(Modifiers held) {
        bool anyModifier = false;
        while (!atEnd()) {
            const char c = text_[pos_];
            if (c == '+') held.shift = true;
            else if (c == '^') held.ctrl = true;
            else if (c == '%') held.alt = true;
            else break;
            anyModifier = true;
            ++pos_;
        }
        if (atEnd()) return !anyModifier;
        const char c = text_[pos_];
        if (c == ')') return !anyModifier; // "(a+)": a modifier over nothing
        if (c == '(') {
            if (++depth_ > kMaxGroupDepth) return false;
            ++pos_;
            const bool ok = sequence(held, true);
            --depth_;
            return ok;
        }
        if (c == '{') return braced(held);
        if (c == '~') {
            ++pos_;
            return named("Return", held, 1);
        }
        char32_t cp = 0;
        if (!decodeCharacter(cp)) return false;
        if (cp == '\t') return named("Tab", held, 1);
        if (cp == '\n') return named("Return", held, 1);
        if (cp < 0x20 || cp == 0x7F) return false;
        return character(cp, held, 1);
    }

    // "{NAME}", "{NAME n}", "{c}" or "{c n}". The first character after the
    // brace belongs to the name whatever it is, so "{}}" and "{{}" work.
    bool braced(Modifiers held) {
        const std::size_t open = pos_;
        if (open + 1 >= text_.size()) return false;
        const std::size_t close = text_.find('}', open + 2);
        if (close == std::string_view::npos) return false;
        std::string_view inside = text_.substr(open + 1, close - open - 1);
        pos_ = close + 1;

        int count = 1;
        const std::size_t blank = inside.find(' ', 1);
        if (blank != std::string_view::npos) {
            const std::string_view digits = inside.substr(blank + 1);
            if (digits.empty() || digits.size() > 5) return false;
            count = 0;
            for (char d : digits) {
                if (d < '0' || d > '9') return false;
                count = count * 10 + (d - '0');
            }
            if (count > kMaxKeyRepeat) return false;
            inside = inside.substr(0, blank);
        }

        // A single character stands for itself ({+}, {~}, {x 10}).
        Parser one(inside);
        char32_t cp = 0;
        if (one.decodeCharacter(cp) && one.atEnd()) {
            if (cp < 0x20 || cp == 0x7F) return false;
            return character(cp, held, count);
        }
        const char* keysym = keysymOfName(inside);
        if (!keysym) return false;
        return named(keysym, held, count);
    }

    bool character(char32_t cp, Modifiers held, int count) {
        if (out_->size() + count > kMaxKeyStrokes) return false;
        for (int i = 0; i < count; ++i) out_->push_back({cp, {}, held.shift, held.ctrl, held.alt});
        return true;
    }
    bool named(const char* keysym, Modifiers held, int count) {
        if (out_->size() + count > kMaxKeyStrokes) return false;
        for (int i = 0; i < count; ++i) out_->push_back({0, keysym, held.shift, held.ctrl, held.alt});
        return true;
    }

    // One UTF-8 character at pos_; false for a broken or overlong sequence.
    bool decodeCharacter(char32_t& cp) { return decodeUtf8(text_, pos_, cp); }
};

} // namespace

std::string keyText(const KeyStroke& stroke) {
    if (!stroke.character) return "{" + stroke.keysym + "}";
    std::string text;
    appendUtf8(text, stroke.character);
    return text;
}

std::optional<std::vector<KeyStroke>> parseSendKeys(const std::string& keys) {
    std::vector<KeyStroke> strokes;
    if (!Parser(keys).parse(strokes)) return std::nullopt;
    return strokes;
}

} // namespace wendrel
