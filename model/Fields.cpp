#include "model/Fields.h"

#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace wendrel {

std::optional<std::string> GetField(std::string_view text, char separator, int n) {
    if (n < 1) return std::nullopt;
    // Work on a view instead of a copy with a closing separator appended:
    // position text.size() stands for that appended separator.
    const bool closed = !text.empty() && text.back() == separator;
    const std::size_t end = closed ? text.size() : text.size() + 1; // one past the last separator
    std::size_t p = 0; // 1-based position of the separator found, 0 before the first
    std::size_t q = 0;
    for (int i = 0; i < n; ++i) {
        q = p;
        if (p >= end) return std::nullopt;
        std::size_t found = p < text.size() ? text.find(separator, p) : std::string_view::npos;
        if (found == std::string_view::npos) {
            if (closed || p > text.size()) return std::nullopt;
            found = text.size(); // the appended separator
        }
        p = found + 1;
    }
    return std::string(text.substr(q, p - q - 1));
}

namespace {

// strtod in the C locale: the desktop's locale (set up by the toolkit) may use
// a decimal comma, but the files always write a point.
double decimalToDouble(const std::string& text) {
    static const locale_t c = ::newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    return c ? ::strtod_l(text.c_str(), nullptr, c) : std::strtod(text.c_str(), nullptr);
}

bool isIgnorable(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Parses a number at the start of s (already free of ignorable characters).
// Returns the number of characters used, 0 when s begins with no number.
std::size_t parseNumber(std::string_view s, double& value) {
    std::size_t i = 0;
    value = 0;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const bool hex = s[1] == 'H' || s[1] == 'h';
        const int base = hex ? 16 : 8;
        i = 2;
        std::uint64_t v = 0;
        bool any = false;
        bool big = false;
        while (i < s.size()) {
            int d;
            char c = s[i];
            if (c >= '0' && c <= '7') d = c - '0';
            else if (hex && c >= '8' && c <= '9') d = c - '0';
            else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else break;
            if (v > (UINT64_MAX >> 4)) big = true;
            v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
            any = true;
            ++i;
        }
        if (!any) return 0;
        // Radix literals of up to 16 bits are 16-bit signed, up to 32 bits
        // 32-bit signed, as in the language the format comes from.
        if (big) value = HUGE_VAL;
        else if (v <= 0xFFFF) value = static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
        else if (v <= 0xFFFFFFFFull) value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        else value = static_cast<double>(v);
        return i;
    }
    std::string buf;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) buf += s[i++];
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        buf += s[i++];
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        std::size_t j = i + 1;
        std::string frac;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') frac += s[j++];
        if (digits > 0 || !frac.empty()) {
            buf += '.';
            buf += frac;
            digits += frac.size();
            i = j;
        }
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        std::string ex = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ex += s[j++];
        const std::size_t digitsFrom = j;
        while (j < s.size() && s[j] == '0') ++j; // leading zeros count toward no limit
        std::size_t ed = 0;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9' && ed < 6) {
            ex += s[j++];
            ++ed;
        }
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            ex += '9';
            ++j;
        } // absurd exponents saturate
        if (j > digitsFrom) {
            buf += ex;
            i = j;
        }
    }
    // Keep the mantissa bounded: strtod on megabytes of digits is slow.
    value = decimalToDouble(buf);
    return i;
}

// Where the digits of a number text begin: after a sign or a radix prefix.
std::size_t numberStart(std::string_view s) {
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) return 1;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) return 2;
    return 0;
}

// The text with all but one of the leading zeros of its number removed.
std::string dropLeadingZeros(std::string_view s) {
    const std::size_t p = numberStart(s);
    std::size_t z = p;
    while (z + 1 < s.size() && s[z] == '0' && s[z + 1] == '0') ++z;
    std::string out(s.substr(0, p));
    out += s.substr(z);
    return out;
}

} // namespace

double leadingNumber(std::string_view text) {
    std::string compact;
    // Only the beginning matters; stop collecting once a character that can
    // never continue a number has been seen.
    for (char c : text) {
        if (isIgnorable(c)) continue;
        // Leading zeros change nothing but could fill the bounded buffer
        // before the digits that matter: keep only one.
        if (c == '0') {
            const std::size_t p = numberStart(compact);
            if (compact.size() == p + 1 && compact[p] == '0') continue;
        }
        compact += c;
        bool numeric = (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == '&' || c == 'e' || c == 'E' ||
                       c == 'd' || c == 'D' || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == 'h' ||
                       c == 'H' || c == 'o' || c == 'O';
        if (!numeric || compact.size() > 4096) break;
    }
    double v;
    return parseNumber(compact, v) ? v : 0.0;
}

double waitNumber(std::string_view s) {
    std::size_t i = 0;
    std::string buf;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) buf += s[i++];
    while (i + 1 < s.size() && s[i] == '0' && s[i + 1] >= '0' && s[i + 1] <= '9') ++i; // leading zeros
    bool any = false;
    std::size_t whole = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++whole) {
        any = true;
        // Far more digits than any wait needs: the number is "forever".
        if (whole == 60) return buf == "-" ? -HUGE_VAL : HUGE_VAL;
        buf += s[i];
    }
    if (i < s.size() && s[i] == '.') {
        buf += s[i++];
        // Digits past the precision of the number change nothing.
        for (std::size_t n = 0; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++n) {
            any = true;
            if (n < 30) buf += s[i];
        }
    }
    return any ? decimalToDouble(buf) : 0.0;
}

std::optional<double> wholeNumber(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    const std::string core = dropLeadingZeros(text.substr(b, e - b));
    if (core.empty() || core.size() > 4096) return std::nullopt;
    double v;
    std::size_t used = parseNumber(core, v);
    if (used == 0 || used != core.size()) return std::nullopt;
    return v;
}

std::optional<std::int16_t> roundToInt16(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    double r = std::nearbyint(value); // default rounding mode: half to even
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::int16_t leadingInt16(std::string_view text) { return roundToInt16(leadingNumber(text)).value_or(0); }

std::int16_t wholeInt16(std::string_view text) {
    auto v = wholeNumber(text);
    return v ? roundToInt16(*v).value_or(0) : 0;
}

} // namespace wendrel
