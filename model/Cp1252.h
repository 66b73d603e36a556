#pragma once
// Windows-1252 <-> UTF-8. The files keep 8-bit Windows-1252 text; the user
// interface works in Unicode. Every byte maps to one code point and back, so a
// text read from a file and written again is byte-exact.
#include <string>
#include <string_view>

namespace wendrel {

std::string cp1252ToUtf8(std::string_view bytes);
// Characters that Windows-1252 cannot hold become '?'.
std::string utf8ToCp1252(std::string_view utf8);

} // namespace wendrel
