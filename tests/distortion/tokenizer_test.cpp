// Cutting lines into word and single-character tokens and joining them again.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "distortion/distortion.h"

namespace {

typedef std::vector<std::string> Tokens;

std::string lowered(std::string text)
{
    for (char &c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool isletter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Every invariant a token list from parsestring must keep, for any input.
void expectwelltokenized(const std::string &line)
{
    const Tokens tokens = parsestring(line);
    EXPECT_EQ(lowered(line), reconstitute(tokens));
    bool previousword = false;
    for (const std::string &token : tokens) {
        ASSERT_FALSE(token.empty());
        bool letters = true, lower = true;
        for (char c : token) {
            letters = letters && isletter(c);
            lower = lower && !(c >= 'A' && c <= 'Z');
        }
        const bool single = token.size() == 1 && !isletter(token[0]);
        // A token is either a lower-case word or one non-letter byte, and isword tells which.
        EXPECT_TRUE((letters && lower) || single) << static_cast<int>(token[0]);
        EXPECT_EQ(letters, isword(token)) << static_cast<int>(token[0]);
        EXPECT_FALSE(previousword && letters) << "two word tokens in a row";
        previousword = letters;
    }
}

TEST(Tokenizer, SplitsTheContentLineIntoItsFifteenTokens)
{
    const Tokens expected = {"it", " ", "hasn", "'", "t", " ", "rained", " ", "in",
                             " ",  "so", " ", "long", ".", " "};
    const Tokens tokens = parsestring("it hasn't rained in so long. ");
    EXPECT_EQ(expected, tokens);
    int words = 0;
    for (const std::string &token : tokens)
        words += isword(token);
    EXPECT_EQ(7, words);
}

TEST(Tokenizer, CutsEdgeCasesIntoTheRightTokens)
{
    const struct {
        std::string line;
        Tokens tokens;
    } cases[] = {
        {"", {}},
        {".. ,", {".", ".", " ", ","}},
        {"so  long", {"so", " ", " ", "long"}},
        {"I held on", {"i", " ", "held", " ", "on"}},
        {"WINDOWS Rattled", {"windows", " ", "rattled"}},
        {"10", {"1", "0"}},
        {"a1b", {"a", "1", "b"}},
        {std::string("caf\xe9\x80z"), {"caf", "\xe9", "\x80", "z"}},
        {std::string("\xff"), {"\xff"}},
        {std::string("a\0b", 3), {"a", std::string(1, '\0'), "b"}},
        {"'til summer", {"'", "til", " ", "summer"}},
        {"you...you", {"you", ".", ".", ".", "you"}},
        {"shops later", {"shops", " ", "later"}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.tokens, parsestring(c.line)) << c.line;
        EXPECT_EQ(lowered(c.line), reconstitute(parsestring(c.line))) << c.line;
    }
}

TEST(Tokenizer, JoinsTokensInOrder)
{
    EXPECT_EQ("", reconstitute({}));
    EXPECT_EQ("fat man'fat", reconstitute({"fat", " ", "man", "'", "fat"}));
    // Replaced tokens may be empty or long; joining does not care.
    EXPECT_EQ(" . ", reconstitute({"", " ", "", ".", " "}));
}

TEST(Tokenizer, IsWordLooksAtTheFirstByte)
{
    const struct {
        std::string token;
        bool word;
    } cases[] = {
        {"", false},  {"a", true},       {"Z", true},       {"stranger", true},
        {" ", false}, {"'", false},      {"7", false},      {std::string("\x80"), false},
        {std::string("\xe9"), false},    {std::string(1, '\0'), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.word, isword(c.token)) << c.token;
}

TEST(Tokenizer, RoundTripsEveryByteValue)
{
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        expectwelltokenized(one);
        all += one;
    }
    expectwelltokenized(all);
    // Each byte surrounded by letters: a non-letter must split the word, a letter must not.
    for (int b = 0; b < 256; ++b) {
        const std::string line = std::string("Ab") + static_cast<char>(b) + "cD";
        expectwelltokenized(line);
        EXPECT_EQ(std::isalpha(b) ? 1u : 3u, parsestring(line).size()) << b;
    }
}

TEST(Tokenizer, RoundTripsRandomText)
{
    std::mt19937 gen(20240611);
    // Bias towards letters and spaces so words of every length and boundary appear.
    const std::string common = "aAbBzZ  .'";
    for (int i = 0; i < 2000; ++i) {
        std::string line;
        const int length = static_cast<int>(gen() % 40);
        for (int j = 0; j < length; ++j) {
            if (gen() % 2)
                line += common[gen() % common.size()];
            else
                line += static_cast<char>(gen() % 256);
        }
        expectwelltokenized(line);
    }
}

} // namespace
