#include "store/DesktopEntry.h"

#include <cstdio>

#include "model/Cp1252.h"
#include "model/TextFile.h"

namespace wendrel {

namespace {
bool isControl(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f; }

// The text for a message: valid UTF-8 as it is, control characters and any
// other byte as \xNN.
std::string shown(std::string_view text) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        const std::size_t start = pos;
        if (decodeUtf8(text, pos, c) && c >= 0x20 && c != 0x7f) {
            out.append(text.substr(start, pos - start));
            continue;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(text[start]));
        out += hex;
        pos = start + 1;
    }
    return out;
}

// Why text cannot be a value, or empty text when it can.
std::string whyNot(std::string_view text) {
    if (!isValidUtf8(text)) return "\"" + shown(text) + "\" is not valid UTF-8, which a desktop entry cannot hold";
    for (char c : text)
        if (isControl(static_cast<unsigned char>(c)))
            return "\"" + shown(text) + "\" holds a control character, which a desktop entry cannot hold";
    return {};
}
} // namespace

std::string DesktopEntry::escapeValue(std::string_view text) {
    std::string out;
    for (std::size_t k = 0; k < text.size(); ++k) {
        switch (text[k]) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case ' ':
                // Blanks after the "=" would be taken for the separator's.
                out += k == 0 ? "\\s" : " ";
                break;
            default:
                out += text[k];
        }
    }
    return out;
}

std::string DesktopEntry::unescapeValue(std::string_view value) {
    std::string out;
    for (std::size_t k = 0; k < value.size(); ++k) {
        const char next = k + 1 < value.size() ? value[k + 1] : '\0';
        const char* escaped = value[k] != '\\' ? nullptr
                              : next == 's'    ? " "
                              : next == 'n'    ? "\n"
                              : next == 't'    ? "\t"
                              : next == 'r'    ? "\r"
                              : next == '\\'   ? "\\"
                                               : nullptr;
        if (escaped) {
            out += escaped;
            ++k;
        } else {
            out += value[k];
        }
    }
    return out;
}

std::string DesktopEntry::quoteArgument(std::string_view argument) {
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
    std::string out = quote ? "\"" : "";
    for (char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
        if (c == '%') out += '%';
    }
    if (quote) out += '"';
    return out;
}

DesktopEntry& DesktopEntry::set(std::string key, std::string value) {
    if (problem_.empty()) problem_ = whyNot(value);
    keys_.emplace_back(std::move(key), std::move(value));
    return *this;
}

DesktopEntry& DesktopEntry::setExec(const std::vector<std::string>& commandLine) {
    std::string line;
    for (const std::string& argument : commandLine) {
        if (problem_.empty()) problem_ = whyNot(argument);
        if (!line.empty()) line += ' ';
        line += quoteArgument(argument);
    }
    keys_.emplace_back("Exec", std::move(line));
    return *this;
}

std::string DesktopEntry::text(std::string& failure) const {
    if (!problem_.empty()) {
        failure = problem_;
        return {};
    }
    std::string out = "[Desktop Entry]\n";
    for (const auto& [key, value] : keys_) out += key + "=" + escapeValue(value) + "\n";
    return out;
}

std::string DesktopEntry::write(const std::string& path) const {
    std::string failure;
    const std::string contents = text(failure);
    return failure.empty() ? writeFileAtomically(path, contents) : failure;
}

} // namespace wendrel
