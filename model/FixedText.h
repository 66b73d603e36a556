#pragma once
// A fixed-width text field of a task record. It always holds exactly Width
// characters of UTF-8 text: shorter texts are padded with blanks, longer ones
// cut after Width characters. A field that was never assigned holds code-0
// characters.
#include <algorithm>
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
    static constexpr std::size_t kWidth = Width; // in characters

    FixedText() : text_(Width, '\0') {}
    explicit FixedText(std::string_view text) { assign(text); }

    // Takes UTF-8 text; bytes that are not UTF-8 are read as Windows-1252.
    void assign(std::string_view text) { text_ = fitToWidth(text, Width); }
    FixedText& operator=(std::string_view text) {
        assign(text);
        return *this;
    }

    // The whole width, trailing blanks (or code-0 characters) included.
    const std::string& str() const { return text_; }

    // The text without trailing blanks. A never-assigned field reads as empty.
    std::string trimmed() const {
        std::size_t end = text_.size();
        while (end > 0 && (text_[end - 1] == ' ' || text_[end - 1] == '\0')) --end;
        return text_.substr(0, end);
    }

    // The text as the user reads it (in the grid, the editor, messages and
    // the run history): up to the first code-0 character, without the blank
    // fill.
    std::string shown() const { return textBeforeNul(text_); }

    // True when the field was never written (its first character has code 0).
    bool neverWritten() const { return text_.front() == '\0'; }
    // True when the field is empty: never written, or all blanks.
    bool empty() const { return trimmed().empty(); }

    bool operator==(const FixedText&) const = default;

private:
    std::string text_;
};

} // namespace wendrel
