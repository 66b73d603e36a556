#pragma once
// Text encodings of the files. The task list keeps 8-bit Windows-1252 text
// where that holds every character, and UTF-8 lines where it does not; script
// files are UTF-8 or Windows-1252; everything in memory, the user interface
// and the desktop services work in UTF-8.
#include <cstddef>
#include <string>
#include <string_view>

namespace wendrel {

// Windows-1252 <-> UTF-8. Every byte maps to one code point and back, so a
// text read from a file and written again is byte-exact.
std::string cp1252ToUtf8(std::string_view bytes);
// Characters that Windows-1252 cannot hold, and broken UTF-8, become '?'.
std::string utf8ToCp1252(std::string_view utf8);

// Decodes the one UTF-8 character at pos and moves pos past it. Strict: a
// truncated or overlong sequence, a surrogate or a code point beyond U+10FFFF
// is refused (false, pos unchanged).
bool decodeUtf8(std::string_view text, std::size_t& pos, char32_t& codePoint);
void appendUtf8(std::string& out, char32_t codePoint);
bool isValidUtf8(std::string_view text);

// A line of a script file or of the task list as UTF-8: the line itself when
// it is valid UTF-8 (plain ASCII is), otherwise its bytes read as
// Windows-1252. Deciding per line keeps reading streaming, and a file that is
// UTF-8 but for one line still reads right everywhere else.
std::string lineToUtf8(std::string_view line);

// The bytes a file line holds for a UTF-8 text so that lineToUtf8 reads it
// back unchanged: Windows-1252 when that holds every character and its bytes
// cannot be taken for UTF-8 (so files that never needed more stay byte for
// byte as they were), the UTF-8 itself otherwise.
std::string lineBytes(std::string_view utf8);

// UTF-8 text cut to at most maxBytes bytes, never inside a character, with
// "..." after a cut.
std::string cutUtf8(const std::string& text, std::size_t maxBytes);

// The number of characters of a UTF-8 text (each byte of a broken sequence
// counts as one).
std::size_t utf8Length(std::string_view utf8);

// The text (UTF-8; bytes that are not UTF-8 are read as Windows-1252) cut
// to at most width characters, never inside one, and filled with blanks to
// exactly width characters.
std::string fitToWidth(std::string_view text, std::size_t width);

} // namespace wendrel
