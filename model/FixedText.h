#pragma once
// A fixed-width text field of a task record. It always holds exactly Width
// bytes (Windows-1252 characters): shorter texts are padded with blanks,
// longer ones cut. A field that was never assigned holds code-0 characters.
#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "model/Cp1252.h"

namespace wendrel {

// A field's text as a name or a caption: up to its first code-0 character
// (a never-written field reads as empty), without trailing blanks.
inline std::string textBeforeNul(std::string text) {
    text.erase(std::min(text.find('\0'), text.size()));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

template <std::size_t Width> class FixedText {
public:
    static constexpr std::size_t kWidth = Width;

    FixedText() { chars_.fill('\0'); }
    explicit FixedText(std::string_view text) { assign(text); }

    void assign(std::string_view text) {
        std::size_t n = text.size() < Width ? text.size() : Width;
        for (std::size_t i = 0; i < n; ++i) chars_[i] = text[i];
        for (std::size_t i = n; i < Width; ++i) chars_[i] = ' ';
    }
    FixedText& operator=(std::string_view text) {
        assign(text);
        return *this;
    }

    // The whole width, trailing blanks (or code-0 characters) included.
    std::string str() const { return std::string(chars_.data(), Width); }

    // The text without trailing blanks. A never-assigned field reads as empty.
    std::string trimmed() const {
        std::size_t end = Width;
        while (end > 0 && (chars_[end - 1] == ' ' || chars_[end - 1] == '\0')) --end;
        return std::string(chars_.data(), end);
    }

    // The text as the user reads it (in the grid, the editor, messages and
    // the run history): UTF-8, up to the first code-0 character, without the
    // blank fill.
    std::string shown() const { return cp1252ToUtf8(textBeforeNul(str())); }

    // True when the field was never written (its first character has code 0).
    bool neverWritten() const { return chars_[0] == '\0'; }
    // True when the field is empty: never written, or all blanks.
    bool empty() const { return trimmed().empty(); }

    bool operator==(const FixedText&) const = default;

private:
    std::array<char, Width> chars_;
};

} // namespace wendrel
