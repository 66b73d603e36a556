// The word split of program starts: quotes, escapes and what is never expanded.
#include <gtest/gtest.h>

#include "script/CommandLine.h"

using namespace wendrel;
using Words = std::vector<std::string>;

TEST(CommandLine, SplitsLikeAShellWithoutExpansionAndRefusesAnUnclosedQuote) {
    const std::pair<std::string, std::optional<Words>> cases[] = {
        {"prog  a\tb ", Words{"prog", "a", "b"}},
        {"", Words{}},
        {"sh -c 'echo a; echo b'", Words{"sh", "-c", "echo a; echo b"}},
        {R"(say "it's \"here\" \n")", Words{"say", R"(it's "here" \n)"}},
        {R"(a\ b \'c \\)", Words{"a b", "'c", "\\"}},
        {R"(x'y'"z" '' "")", Words{"xyz", "", ""}},
        {"echo $HOME ~ * $(id) `id` | ; &", Words{"echo", "$HOME", "~", "*", "$(id)", "`id`", "|", ";", "&"}},
        {"end\\", Words{"end\\"}},
        {std::string("cut\0 here", 9), Words{"cut"}},
        {"prog 'open", std::nullopt},
        {R"(prog "a\")", std::nullopt},
    };
    for (const auto& [line, words] : cases) EXPECT_EQ(splitCommandLine(line), words) << line;
}
