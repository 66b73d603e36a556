#pragma once
// Splits the command line of a program start into the program and its
// arguments, the way a shell splits words, but without any expansion: no
// variables, no wildcards, no ~, no command substitution.
//   - Blanks (spaces and tabs) separate words; runs of them count as one.
//   - 'single quotes' keep everything up to the next single quote as it is.
//   - "double quotes" keep everything up to the next unescaped double quote;
//     inside them a backslash escapes only \ " $ and `, and stays otherwise.
//   - Outside quotes a backslash makes the next character plain text; a
//     backslash that ends the line stays a backslash.
//   - Quoted parts join the text around them into one word; '' and "" make an
//     empty word.
//   - A NUL character ends the line.
// A quote that is never closed gives no words at all: the start fails as for
// a program that cannot be found, rather than running something cut short.
#include <optional>
#include <string>
#include <vector>

namespace wendrel {

std::optional<std::vector<std::string>> splitCommandLine(const std::string& line);

} // namespace wendrel
