// The game screen at the pixel: box outlines, labels, the text panel and the selection frame.
#include "support/headless.h"

#include "content/content.h"
#include "game/game.h"
#include "shell/shell.h"

namespace {

// The layout of the option grid, corners inclusive.
const int outlines[4][4] = {{0, 74, 79, 96}, {80, 74, 159, 96}, {0, 97, 79, 119},
                            {80, 97, 159, 119}};
const int frames[4][4] = {{1, 75, 78, 95}, {81, 75, 158, 95}, {1, 98, 78, 118},
                          {81, 98, 158, 118}};
const int labelat[4][2] = {{4, 77}, {84, 77}, {4, 100}, {84, 100}};

int white()
{
    return makecol(255, 255, 255);
}

void text(BITMAP *bmp, const char *s, int x, int y)
{
    textout_ex(bmp, font, s, x, y, white(), makecol(0, 0, 0));
}

// A picture with the four outlines and nothing else yet.
void drawgrid(BITMAP *bmp)
{
    for (const int *c : outlines)
        rect(bmp, c[0], c[1], c[2], c[3], white());
}

void drawframe(BITMAP *bmp, int box)
{
    const int *c = frames[box];
    rect(bmp, c[0], c[1], c[2], c[3], white());
}

std::list<Conv> unlabelled(int count)
{
    return std::list<Conv>(count, Conv("", "(r) ", {}));
}

class GameScreen : public Headless {};

TEST_F(GameScreen, OutlinesMeetInTwoPixelLines)
{
    gamestate = 1;
    GameLoop::draw();

    Canvas want(makecol(0, 0, 0));
    drawgrid(want.bmp);
    EXPECT_TRUE(sameimage(buffer, want.bmp));

    // Corners of every box.
    for (const int *c : outlines) {
        EXPECT_TRUE(iswhite(c[0], c[1]) && iswhite(c[2], c[1]) && iswhite(c[0], c[3]) &&
                    iswhite(c[2], c[3]))
            << c[0] << "," << c[1];
    }
    // Between the columns and between the rows two pixels, at the screen's edge one.
    EXPECT_TRUE(iswhite(79, 85) && iswhite(80, 85));
    EXPECT_TRUE(isblack(78, 85) && isblack(81, 85));
    EXPECT_TRUE(iswhite(40, 96) && iswhite(40, 97));
    EXPECT_TRUE(isblack(40, 95) && isblack(40, 98));
    EXPECT_TRUE(iswhite(0, 85) && isblack(1, 85));
    EXPECT_TRUE(iswhite(159, 108) && isblack(158, 108));
    EXPECT_TRUE(iswhite(40, 74) && isblack(40, 75) && isblack(40, 73));
    EXPECT_TRUE(iswhite(120, 119) && isblack(120, 118));
}

struct FrameCase {
    int32_t state;
    uint32_t selected;
    int framed; // box that must carry the frame, -1 for none
};

const FrameCase framecases[] = {
    {0, 0, 0},  {0, 1, 1},           {0, 2, 2},  {0, 3, 3},
    {0, 4, -1}, {0, 0xFFFFFFFFu, -1}, {1, 0, -1}, {2, 3, -1},
};

void PrintTo(const FrameCase &c, std::ostream *os)
{
    *os << "phase " << c.state << ", highlight " << c.selected;
}

class Frame : public Headless, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(Frame, OnlyWhileChoosingAndOnAnExistingBox)
{
    const FrameCase &c = GetParam();
    selectedconv = unlabelled(4);
    gamestate = c.state;
    curselected = c.selected;
    GameLoop::draw();

    Canvas want(makecol(0, 0, 0));
    drawgrid(want.bmp);
    if (c.framed >= 0)
        drawframe(want.bmp, c.framed);
    EXPECT_TRUE(sameimage(buffer, want.bmp));
}

INSTANTIATE_TEST_SUITE_P(Table, Frame, ::testing::ValuesIn(framecases));

TEST_F(GameScreen, LabelsSitInTheirBoxesAndWrapAtNine)
{
    selectedconv = {Conv("look around ", "", {}), Conv("leave", "", {}),
                    Conv("go to window", "", {}), Conv("examine table  ", "", {}),
                    Conv("fifth", "", {})};
    gamestate = 1;
    GameLoop::draw();

    Canvas want(makecol(0, 0, 0));
    drawgrid(want.bmp);
    text(want.bmp, "look", 4, 77);
    text(want.bmp, "around ", 4, 87);
    text(want.bmp, "leave", 84, 77);
    text(want.bmp, "go to", 4, 100);
    text(want.bmp, "window", 4, 110);
    text(want.bmp, "examine", 84, 100);
    text(want.bmp, "table  ", 84, 110);
    EXPECT_TRUE(sameimage(buffer, want.bmp));
}

TEST_F(GameScreen, BoxesWithoutOptionStayEmpty)
{
    selectedconv = {Conv("sit", "", {}), Conv("stand", "", {})};
    curselected = 1;
    GameLoop::draw();

    Canvas want(makecol(0, 0, 0));
    drawgrid(want.bmp);
    text(want.bmp, "sit", labelat[0][0], labelat[0][1]);
    text(want.bmp, "stand", labelat[1][0], labelat[1][1]);
    drawframe(want.bmp, 1);
    EXPECT_TRUE(sameimage(buffer, want.bmp));
}

// A response whose lines break elsewhere at a width of 18 or 20: at 20 the second line would
// run on past the double space to "there".
TEST_F(GameScreen, TextPanelWrapsAtNineteenUnfiltered)
{
    displaystring = "the room is large and spacious.  there is a table in the corner. ";
    gamestate = 1;
    GameLoop::draw();

    Canvas want(makecol(0, 0, 0));
    drawgrid(want.bmp);
    text(want.bmp, "the room is large", 4, 4);
    text(want.bmp, "and spacious. ", 4, 14);
    text(want.bmp, "there is a table in", 4, 24);
    text(want.bmp, "the corner. ", 4, 34);
    EXPECT_TRUE(sameimage(buffer, want.bmp));
}

TEST_F(GameScreen, TextCellsCoverTheOutlineAndTheFrameCoversText)
{
    // The panel's eighth line lands on the grid's top edge; a blank cell blacks it out.
    displaystring = "1\n2\n3\n4\n5\n6\n7\n ";
    // Label 0 runs to a third line on box 2's top edge, where box 2's frame crosses it.
    selectedconv = {Conv("one two three four", "", {}), Conv("b", "", {}), Conv("c", "", {})};
    curselected = 2;
    GameLoop::draw();

    for (int x = 4; x < 12; ++x)
        EXPECT_TRUE(isblack(x, 74)) << x;
    EXPECT_TRUE(iswhite(3, 74) && iswhite(12, 74));
    bool covered = false;
    for (int x = 4; x < 36; ++x)
        covered = covered || isblack(x, 97);
    EXPECT_TRUE(covered);
    for (int x = 1; x <= 78; ++x)
        EXPECT_TRUE(iswhite(x, 98)) << x;

    Canvas want(makecol(0, 0, 0));
    drawgrid(want.bmp);
    for (int line = 0; line < 7; ++line)
        text(want.bmp, std::to_string(line + 1).c_str(), 4, 4 + 10 * line);
    text(want.bmp, " ", 4, 74);
    text(want.bmp, "one two", 4, 77);
    text(want.bmp, "three", 4, 87);
    text(want.bmp, "four", 4, 97);
    text(want.bmp, "b", 84, 77);
    text(want.bmp, "c", 4, 100);
    drawframe(want.bmp, 2);
    EXPECT_TRUE(sameimage(buffer, want.bmp));
}

TEST_F(GameScreen, LastChoiceLeavesAnEmptyUnframedGrid)
{
    selectedconv = {Conv("only", "(r) ", {})};
    gamestate = 2;
    displaystring = "(r) ";
    key[KEY_SPACE] = 1;
    GameLoop::logic();
    ASSERT_TRUE(leave);
    GameLoop::draw();

    Canvas want(makecol(0, 0, 0));
    drawgrid(want.bmp);
    EXPECT_TRUE(sameimage(buffer, want.bmp));
}

} // namespace
