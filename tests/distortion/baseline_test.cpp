// The built-in content against every lexicon, and the baseline each game starts with.
#include "distortion/lexiconfixture.h"

#include <functional>
#include <string>

#include "game/game.h"
#include "support/headless.h"

namespace {

void collectresponses(const std::list<Conv> &convs, std::vector<std::string> &into)
{
    for (const Conv &c : convs) {
        into.push_back(c.response);
        collectresponses(c.followups, into);
    }
}

class BuiltInContent : public LexiconTest {};

// The filter's second chance stays out of the way only because every shown word is much
// closer to a lexicon word than any whole monologue line is; this holds the content to it.
TEST_F(BuiltInContent, EveryPairingKeepsShownWordsWellInsideTheBaseline)
{
    insertbasicdata();
    std::vector<std::string> shown;
    for (const Lines &monologue : weatherdescriptions)
        shown.insert(shown.end(), monologue.begin(), monologue.end());
    for (const std::list<Conv> &tree : conversationtree)
        collectresponses(tree, shown);
    ASSERT_EQ(43u + 16u, shown.size());

    int pairings = 0;
    for (const Lines &lexicon : traumadescriptions) {
        selectedtrauma = lexicon;
        for (const std::string &line : shown) {
            for (const std::string &token : parsestring(line)) {
                if (!isword(token))
                    continue;
                std::string nearest;
                EXPECT_LE(minleven(token, nearest), 11u)
                    << token << " in \"" << line << "\" against " << lexicon.front();
            }
        }
        for (const Lines &monologue : weatherdescriptions) {
            selectedweather = monologue;
            calcmaxscore();
            EXPECT_GE(maxscore, 15u) << monologue.front() << " against " << lexicon.front();
            EXPECT_LE(maxscore, 25u) << monologue.front() << " against " << lexicon.front();
            ++pairings;
        }
    }
    EXPECT_EQ(6 * 9, pairings);
}

class GameBaseline : public Headless {};

TEST_F(GameBaseline, EachGameMeasuresItsOwnMonologueAndLexicon)
{
    for (unsigned seed = 1; seed <= 30; ++seed) {
        // Left-overs that would give a baseline of 0 if they were measured instead.
        selectedweather = {"man"};
        selectedtrauma = {"man"};
        maxscore = 0;
        srand(seed);
        GameLoop::enter();
        const uint32_t atstart = maxscore;
        calcmaxscore();
        EXPECT_EQ(maxscore, atstart) << seed;
        EXPECT_GE(atstart, 15u) << seed;
    }
}

} // namespace
