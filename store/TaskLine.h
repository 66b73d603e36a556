#pragma once
// One line of Scripts.dat and one line of Scripts.ini.
#include <cstdint>
#include <string>
#include <string_view>

#include "model/TaskRecord.h"

namespace wendrel {

// The 14 persistent fields joined by "~": 20-, 50- and 25-character texts and
// eleven decimal numbers, as the file's bytes (see lineBytes: Windows-1252
// when it holds every character, else UTF-8). No line end.
std::string formatTaskLine(const TaskRecord& rec);

// Fills the persistent fields of rec from a line's bytes (without its line
// end; UTF-8 when valid, else Windows-1252).
// Missing fields give blanks or 0; run-time fields are left untouched.
void parseTaskLine(std::string_view line, TaskRecord& rec);

// A flag in the number format of a print statement: " 0 ", "-1 ". No line end.
std::string formatOptionValue(std::int16_t value);

} // namespace wendrel
