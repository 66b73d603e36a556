#include "model/Cp1252.h"

#include <cstdint>

namespace wendrel {

namespace {
// Code points of bytes 0x80..0x9F. The five bytes Windows leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value.
const char32_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                            0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char toByte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}
} // namespace

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool decodeUtf8(std::string_view s, std::size_t& pos, char32_t& codePoint) {
    if (pos >= s.size()) return false;
    const auto lead = static_cast<unsigned char>(s[pos]);
    char32_t c;
    std::size_t length;
    if (lead < 0x80) {
        c = lead;
        length = 1;
    } else if ((lead & 0xE0) == 0xC0) {
        c = lead & 0x1F;
        length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
        c = lead & 0x0F;
        length = 3;
    } else if ((lead & 0xF8) == 0xF0) {
        c = lead & 0x07;
        length = 4;
    } else return false;
    if (length > s.size() - pos) return false;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[pos + k]);
        if ((next & 0xC0) != 0x80) return false;
        c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    codePoint = c;
    pos += length;
    return true;
}

bool isValidUtf8(std::string_view s) {
    std::size_t pos = 0;
    char32_t c;
    while (pos < s.size()) {
        // Runs of ASCII are the common case; skip them byte by byte.
        if (static_cast<unsigned char>(s[pos]) < 0x80) {
            ++pos;
            continue;
        }
        if (!decodeUtf8(s, pos, c)) return false;
    }
    return true;
}

std::string lineToUtf8(std::string_view line) { return isValidUtf8(line) ? std::string(line) : cp1252ToUtf8(line); }

std::string lineBytes(std::string_view utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    bool high = false;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c;
        if (!decodeUtf8(utf8, pos, c)) return std::string(utf8);
        const char b = toByte(c);
        if (b == '?' && c != '?') return std::string(utf8);
        high = high || c >= 0x80;
        bytes += b;
    }
    return high && isValidUtf8(bytes) ? std::string(utf8) : bytes;
}

std::string cutUtf8(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end) + "...";
}

std::size_t utf8Length(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++n) {
        char32_t c;
        if (!decodeUtf8(utf8, pos, c)) ++pos;
    }
    return n;
}

std::string fitToWidth(std::string_view text, std::size_t width) {
    const std::string utf8 = lineToUtf8(text);
    std::size_t pos = 0;
    std::size_t n = 0;
    for (char32_t c; n < width && decodeUtf8(utf8, pos, c); ++n) {}
    std::string out = utf8.substr(0, pos);
    out.append(width - n, ' ');
    return out;
}

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) out += ch;
        else if (b < 0xA0) appendUtf8(out, kHigh[b - 0x80]);
        else appendUtf8(out, b);
    }
    return out;
}

std::string utf8ToCp1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t pos = 0;
    while (pos < s.size()) {
        char32_t c;
        if (decodeUtf8(s, pos, c)) {
            out += toByte(c);
        } else {
            out += '?';
            ++pos;
        }
    }
    return out;
}

} // namespace wendrel
