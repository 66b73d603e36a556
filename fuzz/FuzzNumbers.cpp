// The number rules of the store and of script waits on any text: they never
// fail, a whole-number reading agrees with the leading-number reading of the
// same text, the 16-bit conversions stay in range, and a wait is a number,
// negative only after a minus sign.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/Fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double leading = wendrel::leadingNumber(text);
    const auto whole = wendrel::wholeNumber(text);
    if (whole && text.find('\n') == std::string::npos) {
        // Both rules read the same characters; only NaN may differ from itself.
        if (!(*whole == leading || (std::isnan(*whole) && std::isnan(leading)))) std::abort();
    }
    if (auto r = wendrel::roundToInt16(leading)) {
        if (std::fabs(static_cast<double>(*r) - leading) > 0.5) std::abort();
    }
    const double wait = wendrel::waitNumber(text);
    if (std::isnan(wait) || (wait < 0 && text[0] != '-')) std::abort();
    volatile std::int16_t a = wendrel::leadingInt16(text);
    volatile std::int16_t b = wendrel::wholeInt16(text);
    (void)a;
    (void)b;
    return 0;
}
