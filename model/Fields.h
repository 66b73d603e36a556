#pragma once
// Text helpers shared by the store reader and the script interpreter.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wendrel {

// The n-th field (from 1) of text cut by a one-character separator. Every
// field, the last one included, counts as closed by a separator; a field asked
// for past the last one gives no value. No blanks are trimmed.
std::optional<std::string> GetField(std::string_view text, char separator, int n);

// The number a text begins with, ignoring blanks, tabs and line feeds
// anywhere: an optional sign, digits, an optional decimal point with digits
// and an optional exponent, or a whole number after &H or &O. A text that
// begins with no number gives 0.
double leadingNumber(std::string_view text);

// The number of seconds of a script's wait: the number the text begins with,
// made of an optional sign, digits and an optional decimal point with more
// digits. Anything else ends the number ("2e1" is 2, "&H3" is 0); a text that
// begins with no number gives 0.
double waitNumber(std::string_view text);

// The text as a whole read as a number (blanks around it allowed); no value
// when the text is not entirely numeric.
std::optional<double> wholeNumber(std::string_view text);

// Rounds to the nearest whole number, a half to the even one; no value when
// the result does not fit in 16 bits (or the number is not finite).
std::optional<std::int16_t> roundToInt16(double value);

// The two conversions as the store uses them: anything that is not a number
// in the 16-bit range becomes 0.
std::int16_t leadingInt16(std::string_view text);
std::int16_t wholeInt16(std::string_view text);

} // namespace wendrel
