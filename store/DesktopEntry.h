#pragma once
// Desktop entry files (the menu item and the autostart entry): one
// [Desktop Entry] group of keys, every value escaped so that any text reads
// back as it was written, and the Exec command line quoted so that each
// argument reaches the program unchanged.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wendrel {

class DesktopEntry {
public:
    // A key with a text value. The order of the calls is the order in the file.
    DesktopEntry& set(std::string key, std::string value);
    // The Exec key: the program (a path or a name) and its arguments.
    DesktopEntry& setExec(const std::vector<std::string>& commandLine);

    // The file's text, LF line ends. Empty, with the reason in failure, when
    // a value cannot be held by a desktop entry: text that is not UTF-8 (a
    // path in another encoding), or a control character other than tab, line
    // feed and carriage return.
    std::string text(std::string& failure) const;

    // Writes the text to path atomically (temporary, flush to disk, rename),
    // unless it cannot be formed. Returns the reason of a failure, or empty
    // text. The folder must exist.
    std::string write(const std::string& path) const;

    // A string value as the file holds it: backslash, line feed, tab and
    // carriage return as \\, \n, \t, \r, and a leading blank as \s.
    static std::string escapeValue(std::string_view text);
    // The text of a value as the file holds it: the escapes above read back
    // in one pass (an unknown escape stays as it is).
    static std::string unescapeValue(std::string_view value);
    // One argument of an Exec command line before the string escapes: in
    // double quotes when it holds a reserved character, with ", `, $ and the
    // backslash escaped by a backslash inside them; a % is always doubled,
    // since alone it begins a field code.
    static std::string quoteArgument(std::string_view argument);

private:
    std::vector<std::pair<std::string, std::string>> keys_; // values before the string escapes
    std::string problem_;                                   // the first value that cannot be held
};

} // namespace wendrel
