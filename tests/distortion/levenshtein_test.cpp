// Edit distance, the nearest lexicon word and the game's baseline distance.
#include "distortion/lexiconfixture.h"

#include <string>

namespace {

TEST(Levenshtein, MeasuresEditsWithoutRegardToCase)
{
    const struct {
        std::string a, b;
        uint32_t distance;
    } cases[] = {
        {"", "", 0},
        {"", "abc", 3},
        {"so long. ", "", 9},
        {"man", "man", 0},
        {"HASN", "hasn", 0},
        {"Violent", "vIOLENT", 0},
        {"can", "man", 1},        // substitution
        {"strange", "stranger", 1}, // insertion at the end
        {"stranger", "trange", 2},  // deletions at both ends
        {"kitten", "sitting", 3},
        {"flaw", "lawn", 2},
        {"ab", "ba", 2},            // no transposition step
        {"rained", "man", 4},
        {"so", "fat", 3},
        {"a b", "ab", 1},           // spaces count like any byte
        {"1", "l", 1},
        // Bytes from 0x80 up are not case-folded: each is only equal to itself.
        {"\xc9", "\xe9", 1},
        {"\x80\xff", "\x80\xff", 0},
        {"caf\xe9", "CAF\xe9", 0},
        {"caf\xe9", "cafe", 1},
        {std::string("a\0", 2), "a", 1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.distance, levenshteindistance(c.a, c.b)) << c.a << " / " << c.b;
        EXPECT_EQ(c.distance, levenshteindistance(c.b, c.a)) << c.b << " / " << c.a;
    }
}

TEST(Levenshtein, MeasuresWholeLinesAgainstSingleWords)
{
    // A line is never shorter than its distance to a short word allows: at least the
    // difference in length, at most the longer length.
    const std::string line = "it hasn't rained in so long. ";
    for (const char *word : {"fat", "man", "violent", "stranger", "menace"}) {
        const uint32_t d = levenshteindistance(line, word);
        EXPECT_GE(d, line.size() - std::string(word).size()) << word;
        EXPECT_LE(d, line.size()) << word;
    }
    EXPECT_EQ(line.size() - 3, levenshteindistance(line, "it "));
}

class NearestWord : public LexiconTest {};

TEST_F(NearestWord, FindsTheClosestWordAndKeepsTiesWithTheEarlierOne)
{
    selectedtrauma = {"fat", "man", "violent", "stranger", "menace"};
    const struct {
        std::string text, nearest;
        uint32_t distance;
    } cases[] = {
        {"can", "man", 1},
        {"mat", "fat", 1}, // as close to man, but fat comes first
        {"strange", "stranger", 1},
        {"MENACE", "menace", 0},
        {"it", "fat", 2},
        {"hasn", "man", 2},
        {"t", "fat", 2},
        {"rained", "man", 4},
        {"in", "man", 2},
        {"so", "fat", 3}, // tie with man
        {"long", "man", 3},
        {"", "fat", 3},
    };
    for (const auto &c : cases) {
        std::string nearest = "untouched";
        EXPECT_EQ(c.distance, minleven(c.text, nearest)) << c.text;
        EXPECT_EQ(c.nearest, nearest) << c.text;
    }

    // The same tie the other way round goes to man.
    selectedtrauma = {"man", "fat"};
    std::string nearest;
    EXPECT_EQ(1u, minleven("mat", nearest));
    EXPECT_EQ("man", nearest);
}

TEST_F(NearestWord, AnEmptyLexiconFindsNothing)
{
    std::string nearest = "kept";
    EXPECT_EQ(NOMATCH, minleven("stranger", nearest));
    EXPECT_EQ(10000u, NOMATCH);
    EXPECT_EQ("kept", nearest);
    EXPECT_EQ(NOMATCH, minleven("", nearest));
    EXPECT_EQ("kept", nearest);
}

TEST_F(NearestWord, BaselineIsTheSmallestLineToWordDistance)
{
    selectedtrauma = {"stranger", "man"};
    selectedweather = {"a strange man. ", "man ", "the strangers"};
    calcmaxscore();
    EXPECT_EQ(1u, maxscore); // "man " against man

    selectedweather = {"the strangers", "a strange man. "};
    calcmaxscore();
    EXPECT_EQ(5u, maxscore); // "the strangers" against stranger

    // Reading the lists leaves them as they were.
    EXPECT_EQ((Lines{"the strangers", "a strange man. "}), selectedweather);
    EXPECT_EQ((Lines{"stranger", "man"}), selectedtrauma);
}

TEST_F(NearestWord, BaselineWithNothingToMeasureIsTheNoMatchDistance)
{
    selectedtrauma = {"fat", "man"};
    maxscore = 3;
    calcmaxscore(); // no monologue
    EXPECT_EQ(NOMATCH, maxscore);

    selectedtrauma.clear();
    selectedweather = {"it hasn't rained in so long. ", "the grass just crumbles. "};
    maxscore = 3;
    calcmaxscore(); // no lexicon
    EXPECT_EQ(NOMATCH, maxscore);
}

} // namespace
