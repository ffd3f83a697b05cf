// A game's set-up: fresh content and selection, held keys, an unfiltered opening line.
#include "support/headless.h"

#include <map>

#include "content/content.h"
#include "game/game.h"
#include "shell/shell.h"

namespace {

class GameSetup : public Headless {};

TEST_F(GameSetup, StartsEveryPieceOfStateAfresh)
{
    leave = true;
    gamestate = 2;
    curselected = 3;
    turn = 5;
    escpressed = false;
    displaystring = "left over";
    GameLoop::enter();

    EXPECT_FALSE(leave);
    EXPECT_EQ(0, gamestate);
    EXPECT_EQ(0u, curselected);
    EXPECT_EQ(0u, turn);
    EXPECT_TRUE(escpressed);
    for (bool held : pressed)
        EXPECT_TRUE(held);
    EXPECT_EQ(6u, weatherdescriptions.size());
    EXPECT_FALSE(selectedweather.empty());
    EXPECT_FALSE(selectedtrauma.empty());
    EXPECT_FALSE(selectedconv.empty());
}

TEST_F(GameSetup, OpeningLinesAreShownAsWrittenAndEvenlyChosen)
{
    const int games = 6000;
    std::map<std::string, int> seen;
    for (int i = 0; i < games; ++i) {
        GameLoop::enter();
        ++seen[displaystring];
    }
    ASSERT_EQ(6u, seen.size());
    for (const char *line : openinglines) {
        // Expected 1000 each; five standard deviations (about 29) either side.
        EXPECT_NEAR(1000, seen[line], 145) << line;
    }
    EXPECT_EQ(1, seen.count("i feel like i'm loosing control..."));
    EXPECT_EQ(1, seen.count("why can't i just pull myself together?"));
}

TEST_F(GameSetup, DrawsFromTheSharedSequenceInItsOrder)
{
    // Selection makes three draws, then the opening line one.
    srand(77);
    GameLoop::enter();
    std::string first = displaystring;
    srand(77);
    for (int i = 0; i < 3; ++i)
        rand();
    EXPECT_EQ(std::string(openinglines[rand() % 6]), first);
}

TEST_F(GameSetup, FirstFrameShowsTheOpeningLine)
{
    GameLoop::enter();
    GameLoop::draw();
    // The text panel starts at (4, 4): some glyph pixel of the first cells is white.
    bool lit = false;
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 20; ++x)
            lit = lit || iswhite(x, y);
    EXPECT_TRUE(lit);
}

} // namespace
