// The notations of script lines: which key strokes a SendKeys text gives and
// which texts are refused whole; the word split of program starts (quotes,
// escapes and what is never expanded).
#include <gtest/gtest.h>

#include "script/CommandLine.h"
#include "script/SendKeys.h"

using namespace wendrel;

namespace {

// The strokes written compactly: a character as itself, a named key as
// <Keysym>, each preceded by its modifiers as S C A.
std::string describe(const std::string& keys) {
    const auto strokes = parseSendKeys(keys);
    if (!strokes) return "malformed";
    std::string out;
    for (const KeyStroke& k : *strokes) {
        out += std::string(out.empty() ? "" : " ") + (k.shift ? "S" : "") + (k.ctrl ? "C" : "") + (k.alt ? "A" : "");
        if (!k.keysym.empty()) out += "<" + k.keysym + ">";
        else if (k.character < 0x80) out += static_cast<char>(k.character);
        else out += "U+" + std::to_string(static_cast<unsigned>(k.character));
    }
    return out;
}

TEST(SendKeys, TextTypesItselfNamedKeysInAnyCaseRepeatCountsAndBracedCharacters) {
    EXPECT_EQ(describe("a[ 1]"), "a [   1 ]");
    EXPECT_EQ(describe("x\ty\nz"), "x <Tab> y <Return> z");
    // UTF-8 text arrives as code points.
    EXPECT_EQ(describe("\xC3\xA9\xE2\x82\xAC"), "U+233 U+8364");
    EXPECT_EQ(describe("{enter}{Tab}{bksp}{PGUP}{F16}"), "<Return> <Tab> <BackSpace> <Prior> <F16>");
    EXPECT_EQ(describe("{LEFT 2}{x 9}{ENTER 0}"), "<Left> <Left> x x x x x x x x x");
    // The first character after the brace is literal, whatever it is.
    EXPECT_EQ(describe("{+}{^}{%}{~}{(}{)}{{}{}}{[}{]}{!}"), "+ ^ % ~ ( ) { } [ ] !");
    EXPECT_EQ(describe("{} 2}{  2}"), "} }    ");
}

TEST(SendKeys, ModifiersHoldOverTheNextKeyOrGroup) {
    EXPECT_EQ(describe("+ab"), "Sa b");
    EXPECT_EQ(describe("^%{DEL}"), "CA<Delete>");
    EXPECT_EQ(describe("+(ab)c"), "Sa Sb c");
    EXPECT_EQ(describe("^(a+(b)c)"), "Ca SCb Cc");
    EXPECT_EQ(describe("%~^{+}"), "A<Return> C+");
    EXPECT_EQ(describe("+{LEFT 3}"), "S<Left> S<Left> S<Left>");
}

TEST(SendKeys, MalformedTextGivesNoStrokesAtAllTheLimitsThemselvesDo) {
    for (const char* bad : {"ab{ENTER", "{", "{}", "{F17}", "x{LEFT 2x}", "{LEFT }", "(ab", "ab)", "ab^", "(a+)",
                            "{x 10001}", "{x 000001}", "a\x01", "{\x1F}", "{\x7F}", "\xC3", "\xC0\x80", "\xED\xA0\x80"})
        EXPECT_EQ(describe(bad), "malformed") << bad;
    EXPECT_EQ(describe(std::string(kMaxGroupDepth, '(') + "a" + std::string(kMaxGroupDepth, ')')), "a");
    EXPECT_EQ(describe(std::string(kMaxGroupDepth + 1, '(') + "a" + std::string(kMaxGroupDepth + 1, ')')), "malformed");
    // The limits themselves are allowed.
    std::string many;
    for (std::size_t i = 0; i < kMaxKeyStrokes / kMaxKeyRepeat; ++i) many += "{a 10000}";
    EXPECT_TRUE(parseSendKeys(many));
    EXPECT_FALSE(parseSendKeys(many + "a"));
    std::string groups; // in a row, not inside each other: no depth limit
    for (int i = 0; i <= kMaxGroupDepth; ++i) groups += "(a)";
    EXPECT_TRUE(parseSendKeys(groups));
}

} // namespace

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
        {std::string("say \"a\0\"", 8), std::nullopt}, // the quote behind the end closes nothing
    };
    for (const auto& [line, words] : cases) EXPECT_EQ(splitCommandLine(line), words) << line;
}
