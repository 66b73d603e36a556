// GetField on any text, separator and field number: it never fails, a field
// never holds the separator, and the fields joined again give the text back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/Fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const char separator = static_cast<char>(data[0]);
    const int n = static_cast<int>(static_cast<std::int8_t>(data[1]));
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    auto field = wendrel::GetField(text, separator, n);
    if (n < 1 && field) std::abort();

    std::string joined;
    int count = 0;
    for (int i = 1;; ++i) {
        auto f = wendrel::GetField(text, separator, i);
        if (!f) break;
        if (f->find(separator) != std::string::npos) std::abort();
        if (i > 1) joined += separator;
        joined += *f;
        if (i == n && f != field) std::abort();
        if (++count > static_cast<int>(text.size()) + 1) std::abort(); // more fields than can exist
    }
    // Every field is closed by a separator; a last separator closes the last field.
    const bool closed = !text.empty() && text.back() == separator;
    if ((closed ? joined + separator : joined) != text) std::abort();
    return 0;
}
