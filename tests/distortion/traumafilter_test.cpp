// The trauma filter: which words give way, how often, and how many draws each one takes.
#include "distortion/lexiconfixture.h"

#include <cmath>
#include <map>
#include <set>
#include <string>

namespace {

const Lines firstlexicon = {"fat", "man", "violent", "stranger", "menace"};
const std::string drought = "it hasn't rained in so long. ";

// The filter's outcome predicted from a recorded stretch of the rand() sequence: a small
// draw passes when its remainder by 8 is at most the turn; each word takes a chance of
// three small draws, then if that fails a second one, then if that passes one draw whose
// remainder by the divisor (taken as itself when the divisor is 0) must be 0.
struct Prediction {
    std::string text;
    size_t draws = 0;
    std::vector<size_t> perword;
};

Prediction predict(const std::vector<int> &seq, const std::string &line, uint32_t turn)
{
    Prediction p;
    size_t at = 0;
    auto threepass = [&]() {
        for (int i = 0; i < 3; ++i) {
            if (static_cast<uint32_t>(seq.at(at++) % 8) > turn)
                return false;
        }
        return true;
    };
    for (std::string token : parsestring(line)) {
        if (isword(token)) {
            const size_t start = at;
            std::string nearest;
            const uint32_t d = minleven(token, nearest);
            bool replace = threepass();
            if (!replace && threepass()) {
                const uint32_t divisor = d - maxscore + 1;
                const uint32_t r = static_cast<uint32_t>(seq.at(at++));
                replace = (divisor == 0 ? r : r % divisor) == 0;
            }
            if (replace)
                token = nearest;
            p.perword.push_back(at - start);
        }
        p.text += token;
    }
    p.draws = at;
    return p;
}

class TraumaFilter : public LexiconTest {};

TEST_F(TraumaFilter, ReplacesEveryWordFromTheEighthChoiceOn)
{
    selectedtrauma = firstlexicon;
    maxscore = 20;
    for (uint32_t turn : {7u, 8u, 100u, 0xffffffffu}) {
        for (unsigned seed : {1u, 2u, 99u}) {
            std::string shown;
            const int draws = drawsmade(seed, [&] { shown = traumafilter(drought, turn); });
            EXPECT_EQ("fat man'fat man man fat man. ", shown) << turn;
            EXPECT_EQ(21, draws) << "three per word, turn " << turn;
        }
    }
}

TEST_F(TraumaFilter, LinesWithoutWordsPassUnchangedAndDrawNothing)
{
    selectedtrauma = firstlexicon;
    maxscore = 20;
    const std::string lines[] = {"", " ", ". ", "...", "10 20 30. ", std::string("\xe9\x80 ?")};
    for (const std::string &line : lines) {
        for (uint32_t turn : {0u, 3u, 7u}) {
            std::string shown = "not run";
            EXPECT_EQ(0, drawsmade(5, [&] { shown = traumafilter(line, turn); })) << line;
            EXPECT_EQ(line, shown);
        }
    }
}

TEST_F(TraumaFilter, AnEmptyLexiconMakesReplacedWordsVanish)
{
    selectedweather = {drought};
    calcmaxscore();
    EXPECT_EQ(NOMATCH, maxscore);
    std::string shown;
    EXPECT_EQ(21, drawsmade(3, [&] { shown = traumafilter(drought, 7); }));
    EXPECT_EQ(" '    . ", shown); // only the spaces and punctuation stay
}

TEST_F(TraumaFilter, LowersCapitalsWhetherOrNotAWordIsReplaced)
{
    selectedtrauma = firstlexicon;
    maxscore = 20;
    const std::string line =
        "I remember the trees outside; how they swayed and shook as the ground trembled. ";
    std::string lowered = line;
    lowered[0] = 'i';
    int untouched = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        for (uint32_t turn = 0; turn <= 7; ++turn) {
            srand(seed);
            const std::string shown = traumafilter(line, turn);
            for (char c : shown)
                EXPECT_FALSE(c >= 'A' && c <= 'Z') << shown;
            // Each token is the lowered word or its nearest lexicon word.
            const std::vector<std::string> in = parsestring(line), out = parsestring(shown);
            ASSERT_EQ(in.size(), out.size()) << shown;
            for (size_t i = 0; i < in.size(); ++i) {
                std::string nearest = in[i];
                if (isword(in[i]))
                    minleven(in[i], nearest);
                EXPECT_TRUE(out[i] == in[i] || out[i] == nearest) << in[i] << " -> " << out[i];
            }
            untouched += shown == lowered;
        }
    }
    // At turn 0 about 97 % of such lines come through without a replacement.
    EXPECT_GT(untouched, 20);
}

TEST_F(TraumaFilter, FollowsTheSharedSequenceWordByWord)
{
    selectedtrauma = firstlexicon;
    const std::string lines[] = {drought, "I can't remember where i left my keys. ",
                                 "a strange man sat on the mat. "};
    // Baselines on both sides of the words' distances (1 to 5): divisors of 1, 0, the
    // wrapped ones just below 2^32, and ordinary ones above 1.
    const uint32_t baselines[] = {0, 1, 2, 3, 4, 5, 6, 20, NOMATCH};
    std::map<size_t, int> perword;
    for (const std::string &line : lines) {
        for (uint32_t baseline : baselines) {
            maxscore = baseline;
            for (uint32_t turn = 0; turn <= 8; ++turn) {
                for (unsigned seed = 1; seed <= 12; ++seed) {
                    const Prediction expected = predict(sequence(seed, 128), line, turn);
                    std::string shown;
                    const int draws =
                        drawsmade(seed, [&] { shown = traumafilter(line, turn); });
                    ASSERT_EQ(expected.text, shown)
                        << line << " turn " << turn << " baseline " << baseline;
                    ASSERT_EQ(static_cast<int>(expected.draws), draws)
                        << line << " turn " << turn << " baseline " << baseline;
                    for (size_t n : expected.perword)
                        ++perword[n];
                }
            }
        }
    }
    // Every word used 2 to 7 draws, and every count in that range came up.
    EXPECT_EQ((std::set<size_t>{2, 3, 4, 5, 6, 7}),
              [&] {
                  std::set<size_t> seen;
                  for (const auto &kv : perword)
                      seen.insert(kv.first);
                  return seen;
              }());
}

// One word, its draws counted straight from the generator and checked against its own
// sequence: 3 when the first chance passes, 2 to 6 when both fail at a small draw, 5 to 7
// when the divisor draw is reached.
void checkoneword(uint32_t turn, bool divisorzero, std::set<int> &counts)
{
    const std::string word = "rained"; // 4 from man
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::string shown;
        const int draws = drawsmade(seed, [&] { shown = traumafilter(word, turn); });
        const std::vector<int> s = sequence(seed, 8);
        auto passes = [&](size_t i) { return static_cast<uint32_t>(s[i] % 8) <= turn; };
        size_t at = 0;
        bool first = true, second = true;
        for (int i = 0; i < 3 && first; ++i)
            first = passes(at++);
        if (first) {
            EXPECT_EQ(3, draws) << seed;
            EXPECT_EQ("man", shown) << seed;
        } else {
            for (int i = 0; i < 3 && second; ++i)
                second = passes(at++);
            if (second) {
                EXPECT_EQ(static_cast<int>(at) + 1, draws) << seed;
                EXPECT_GE(draws, 5);
                EXPECT_LE(draws, 7);
                // A divisor of 1 always lets the word go; a divisor of 0 only on a draw of 0.
                const bool replaced = divisorzero ? s[at] == 0 : true;
                EXPECT_EQ(replaced ? "man" : "rained", shown) << seed;
            } else {
                EXPECT_EQ(static_cast<int>(at), draws) << seed;
                EXPECT_GE(draws, 2);
                EXPECT_LE(draws, 6);
                EXPECT_EQ("rained", shown) << seed;
            }
        }
        counts.insert(draws);
    }
}

TEST_F(TraumaFilter, EachWordDrawsAccordingToHowFarItsChancesGo)
{
    selectedtrauma = firstlexicon;
    for (bool divisorzero : {false, true}) {
        maxscore = divisorzero ? 5 : 4;
        std::set<int> counts;
        for (uint32_t turn = 0; turn <= 6; ++turn)
            checkoneword(turn, divisorzero, counts);
        EXPECT_EQ((std::set<int>{2, 3, 4, 5, 6, 7}), counts) << divisorzero;
    }
}

TEST_F(TraumaFilter, ADivisorOfZeroStillDrawsAndPassesOnADrawOfZero)
{
    selectedtrauma = firstlexicon;
    maxscore = 5; // "rained" is 4 from man: the divisor is 0
    // From this seed, glibc's rand() gives a value of 7 modulo 8 at call 2776, three
    // values of at most 6 modulo 8, and then 0 at call 2780.
    const unsigned seed = 1613530;
    const size_t start = 2776;
    const std::vector<int> s = sequence(seed, start + 6);
    ASSERT_EQ(7, s[start] % 8) << "this test needs glibc's rand()";
    for (size_t i = start + 1; i < start + 4; ++i)
        ASSERT_LE(s[i] % 8, 6) << "this test needs glibc's rand()";
    ASSERT_EQ(0, s[start + 4]) << "this test needs glibc's rand()";

    srand(seed);
    for (size_t i = 0; i < start; ++i)
        rand();
    EXPECT_EQ("man", traumafilter("rained", 6));
    EXPECT_EQ(s[start + 5], rand()) << "five draws: one failed, three passed, the divisor draw";
}

// Replaced words among `words` copies of "so" (3 from fat, its only lexicon word).
long countreplaced(uint32_t turn, long words)
{
    std::string line;
    for (int i = 0; i < 1000; ++i)
        line += "so ";
    long replaced = 0;
    for (long done = 0; done < words; done += 1000) {
        for (const std::string &token : parsestring(traumafilter(line, turn)))
            replaced += token == "fat";
    }
    return replaced;
}

TEST_F(TraumaFilter, ReplacementRateRisesWithTheTurn)
{
    selectedtrauma = {"fat"};
    // A baseline far above the word's distance wraps the divisor past every rand()
    // value, so the second chance passes only on a draw of exactly 0: the rate is p^3.
    maxscore = 15;
    srand(4242);
    const long words = 200000;
    for (uint32_t turn = 0; turn <= 7; ++turn) {
        const double p = (turn + 1) / 8.0;
        const double rate = p * p * p;
        const double mean = words * rate;
        // Five standard deviations of the binomial count: a correct filter fails this
        // about once in two million runs.
        const double bound = 5 * std::sqrt(words * rate * (1 - rate));
        EXPECT_NEAR(mean, countreplaced(turn, words), bound) << "turn " << turn;
    }
    EXPECT_EQ(words, countreplaced(100, words));
}

TEST_F(TraumaFilter, SecondChanceAlwaysPassesWhenTheWordSitsAtTheBaseline)
{
    selectedtrauma = {"fat"};
    maxscore = 3; // "so" is 3 from fat: the divisor is 1
    srand(777);
    const long words = 200000;
    for (uint32_t turn = 0; turn <= 6; ++turn) {
        const double p = (turn + 1) / 8.0;
        const double first = p * p * p;
        const double rate = first + (1 - first) * first;
        // Five standard deviations of the binomial count, as above.
        const double bound = 5 * std::sqrt(words * rate * (1 - rate));
        EXPECT_NEAR(words * rate, countreplaced(turn, words), bound) << "turn " << turn;
    }
}

} // namespace
