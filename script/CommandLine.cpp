#include "script/CommandLine.h"

#include <algorithm>
#include <string_view>

namespace wendrel {

std::optional<std::vector<std::string>> splitCommandLine(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false; // a word has begun, even if it is still empty ("")
    const std::size_t end = std::min(line.find('\0'), line.size());
    for (std::size_t i = 0; i < end; ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            word += i + 1 < end ? line[++i] : '\\';
        } else if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close >= end) return std::nullopt;
            word.append(line, i + 1, close - i - 1);
            i = close;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i >= end) return std::nullopt;
                if (line[i] == '"') break;
                if (line[i] == '\\' && i + 1 < end &&
                    std::string_view("\\\"$`").find(line[i + 1]) != std::string_view::npos)
                    ++i;
                word += line[i];
            }
        } else {
            word += c;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

} // namespace wendrel
