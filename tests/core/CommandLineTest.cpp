// The word split of program starts: quotes, escapes and what is never expanded.
#include <gtest/gtest.h>

#include "script/CommandLine.h"

using namespace wendrel;
using Words = std::vector<std::string>;

TEST(CommandLine, SplitsLikeAShellWithoutExpansion) {
    const std::pair<std::string, Words> cases[] = {
        {"prog  a\tb ", {"prog", "a", "b"}},
        {"", {}},
        {"sh -c 'echo a; echo b'", {"sh", "-c", "echo a; echo b"}},
        {R"(say "it's \"here\" \n")", {"say", R"(it's "here" \n)"}},
        {R"(a\ b \'c \\)", {"a b", "'c", "\\"}},
        {R"(x'y'"z" '' "")", {"xyz", "", ""}},
        {"echo $HOME ~ * $(id) `id` | ; &", {"echo", "$HOME", "~", "*", "$(id)", "`id`", "|", ";", "&"}},
        {"end\\", {"end\\"}},
        {std::string("cut\0 here", 9), {"cut"}},
    };
    for (const auto& [line, words] : cases) EXPECT_EQ(splitCommandLine(line), std::optional<Words>(words)) << line;
}

TEST(CommandLine, AnUnclosedQuoteGivesNoWords) {
    for (const char* line : {"prog 'open", "prog \"open", R"(prog "a\")"})
        EXPECT_EQ(splitCommandLine(line), std::nullopt) << line;
}
