#pragma once
// Case folding of keywords and key names. Only the letters A to Z and a to z
// change: the C library's toupper follows the locale, and under a Turkish one
// "i" does not become "I", so "wait" would be no keyword there.
#include <string>
#include <string_view>

namespace wendrel {

constexpr char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upperAscii(c);
    return out;
}
inline std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

} // namespace wendrel
