// Taps in a game: the boxes they find are the boxes drawn, and what a tap does in each phase.
#include "support/headless.h"

#include <string>

#include "content/content.h"
#include "game/game.h"
#include "shell/shell.h"

namespace {

class GameTap : public Headless {};

// Every point of the picture, and a ring around it, against the outlines drawn.
TEST_F(GameTap, BoxesAreFoundWhereTheyAreDrawn)
{
    const Box outlines[NUM_BOXES] = {{0, 74, 79, 96}, {80, 74, 159, 96}, {0, 97, 79, 119},
                                     {80, 97, 159, 119}};
    GameLoop::draw();
    const int white = makecol(255, 255, 255);
    for (int box = 0; box < NUM_BOXES; ++box) {
        const Box &b = outlines[box];
        EXPECT_EQ(b, inkbox(buffer, white, b.x0, b.y0, b.x1, b.y1));
    }
    EXPECT_TRUE(samehits(outlines, NUM_BOXES, boxat));
}

struct TapCase {
    const char *name;
    int32_t state;
    int options;
    uint32_t selected;
    int x, y;
    int32_t wantstate;
    uint32_t wantselected;
    std::string wantdisplay;
};

void PrintTo(const TapCase &c, std::ostream *out)
{
    *out << c.name;
}

const TapCase tapcases[] = {
    {"ChoosingBox0", 0, 4, 3, 0, 74, 1, 0, "1 "},
    {"ChoosingBox1Corner", 0, 4, 0, 159, 96, 1, 1, "1 "},
    {"ChoosingBox2Corner", 0, 4, 0, 79, 119, 1, 2, "1 "},
    {"ChoosingBox3", 0, 4, 0, 80, 97, 1, 3, "1 "},
    {"ChoosingEmptyBox", 0, 2, 0, 100, 100, 0, 0, "old"},
    {"ChoosingAboveTheGrid", 0, 4, 0, 50, 73, 0, 0, "old"},
    {"ChoosingOffThePicture", 0, 4, 0, 50, 120, 0, 0, "old"},
    {"MonologueReadsOnAnywhere", 1, 2, 1, 3, 3, 2, 1, "(1) "},
    {"MonologueOnAnEmptyBox", 1, 2, 1, 100, 100, 2, 1, "(1) "},
    {"ResponseReadsOn", 2, 2, 1, 159, 0, 0, 0, ""}, // option 1 chosen: the highlight comes back
    {"MonologueOffThePicture", 1, 2, 1, 160, 50, 1, 1, "old"},
};

class Tapped : public Headless, public ::testing::WithParamInterface<TapCase> {};

TEST_P(Tapped, ActsAsTheArrowsAndSpaceWould)
{
    const TapCase &c = GetParam();
    selectedweather = {"1 "};
    for (int i = 0; i < c.options; ++i)
        selectedconv.push_back(Conv(std::string(1, char('a' + i)),
                                    "(" + std::to_string(i) + ") ", {}));
    gamestate = c.state;
    curselected = c.selected;
    displaystring = "old";
    input_tap(c.x, c.y);
    GameLoop::logic();
    EXPECT_EQ(c.wantstate, gamestate);
    EXPECT_EQ(c.wantselected, curselected);
    EXPECT_EQ(c.wantdisplay, displaystring);
    EXPECT_FALSE(leave);
}

INSTANTIATE_TEST_SUITE_P(Table, Tapped, ::testing::ValuesIn(tapcases),
                         [](const ::testing::TestParamInfo<TapCase> &info) {
                             return std::string(info.param.name);
                         });

// Taps alone play a whole game: a box, then twice anywhere, until no option is left.
TEST_F(GameTap, TapsAlonePlayAWholeGame)
{
    GameLoop::enter();
    int taps = 0;
    while (!leave && taps < 100) {
        if (gamestate == 0)
            input_tap(boxrect(0).x + 10, boxrect(0).y + 10);
        else
            input_tap(80, 30);
        ++taps;
        GameLoop::logic();
    }
    EXPECT_TRUE(leave);
    EXPECT_EQ(8u, turn);
    EXPECT_TRUE(selectedconv.empty());
}

} // namespace
