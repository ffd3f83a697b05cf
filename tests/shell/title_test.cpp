// The title menu: entry state, fresh presses, same-tick combinations and its picture.
#include "support/headless.h"

#include <cstring>
#include <initializer_list>

#include "shell/loop.h"
#include "shell/shell.h"

namespace {

class Title : public Headless {
protected:
    void SetUp() override
    {
        Headless::SetUp();
        TitleLoop::enter();
    }

    // One tick with exactly these keys down.
    static void tick(std::initializer_list<int> down)
    {
        releasekeys();
        for (int k : down)
            key[k] = 1;
        speed_count = 1;
        pass<TitleLoop>();
    }
};

TEST_F(Title, EveryEntryOpensOnBeginWithEveryKeyLatched)
{
    TitleLoop::begin = true;
    TitleLoop::selected = 1;
    TitleLoop::upheld = TitleLoop::downheld = TitleLoop::spaceheld = false;
    escpressed = false;
    speed_count = 5;
    TitleLoop::enter();
    EXPECT_FALSE(TitleLoop::begin);
    EXPECT_EQ(0, TitleLoop::selected);
    EXPECT_TRUE(TitleLoop::upheld);
    EXPECT_TRUE(TitleLoop::downheld);
    EXPECT_TRUE(TitleLoop::spaceheld);
    EXPECT_TRUE(escpressed);
    // Ticks that piled up during the game still run in the title's first pass.
    EXPECT_EQ(5, speed_count.load());
}

struct HeldKeyCase {
    const char *name;
    int code;
    int selected; // after the fresh press
    bool begin;
    bool quit;
};

void PrintTo(const HeldKeyCase &c, std::ostream *out)
{
    *out << c.name;
}

class TitleHeldKey : public Title, public ::testing::WithParamInterface<HeldKeyCase> {};

// A key still down from the game acts only once released and pressed again,
// and then only once however long it is held.
TEST_P(TitleHeldKey, ActsOnlyOnAFreshPress)
{
    const HeldKeyCase &c = GetParam();
    for (int i = 0; i < 3; ++i)
        tick({c.code});
    EXPECT_EQ(0, TitleLoop::selected);
    EXPECT_FALSE(TitleLoop::begin);
    EXPECT_FALSE(quit);

    tick({});
    tick({c.code});
    tick({c.code});
    EXPECT_EQ(c.selected, TitleLoop::selected);
    EXPECT_EQ(c.begin, TitleLoop::begin);
    EXPECT_EQ(c.quit, quit);
}

INSTANTIATE_TEST_SUITE_P(Keys, TitleHeldKey, ::testing::Values(
    HeldKeyCase{"Up", KEY_UP, 1, false, false},
    HeldKeyCase{"Down", KEY_DOWN, 1, false, false},
    HeldKeyCase{"Space", KEY_SPACE, 0, true, false},
    HeldKeyCase{"Escape", KEY_ESC, 0, false, true}),
    [](const ::testing::TestParamInfo<HeldKeyCase> &info) { return info.param.name; });

TEST_F(Title, EachArrowPressTogglesBetweenTheTwoItems)
{
    tick({});
    const int presses[] = {KEY_DOWN, KEY_DOWN, KEY_UP, KEY_DOWN, KEY_UP, KEY_UP};
    int expected = 0;
    for (int code : presses) {
        tick({code});
        tick({});
        expected = 1 - expected;
        EXPECT_EQ(expected, TitleLoop::selected);
    }
}

TEST_F(Title, UpAndDownInOneTickLeaveTheHighlight)
{
    tick({});
    tick({KEY_UP, KEY_DOWN});
    EXPECT_EQ(0, TitleLoop::selected);
    tick({});
    tick({KEY_DOWN});
    tick({});
    tick({KEY_UP, KEY_DOWN});
    EXPECT_EQ(1, TitleLoop::selected);
}

// The highlight moves first; Space then activates what is highlighted after the move.
TEST_F(Title, ArrowAndSpaceInOneTickActivateTheNewItem)
{
    for (int arrow : {KEY_UP, KEY_DOWN}) {
        SCOPED_TRACE(arrow);
        TitleLoop::enter();
        quit = false;
        tick({});
        tick({arrow, KEY_SPACE});
        EXPECT_TRUE(quit);
        EXPECT_FALSE(TitleLoop::begin);
    }
    TitleLoop::enter();
    quit = false;
    tick({});
    tick({KEY_DOWN});
    tick({});
    tick({KEY_UP, KEY_SPACE});
    EXPECT_TRUE(TitleLoop::begin);
    EXPECT_FALSE(quit);
}

TEST_F(Title, SpaceOnLeaveQuitsWithoutStartingAGame)
{
    tick({});
    tick({KEY_DOWN});
    tick({});
    tick({KEY_SPACE});
    EXPECT_TRUE(quit);
    EXPECT_FALSE(TitleLoop::begin);
}

TEST_F(Title, EscapeAndSpaceOnBeginInOneTickSetBoth)
{
    tick({});
    tick({KEY_ESC, KEY_SPACE});
    EXPECT_TRUE(quit);
    EXPECT_TRUE(TitleLoop::begin);
}

TEST_F(Title, LoopReturnsAtOnceWhenQuitIsSet)
{
    quit = true;
    speed_count = 3;
    loop<TitleLoop>();
    EXPECT_EQ(3, speed_count.load());
}

// The picture, pixel by pixel: the title and the two items at their cells, the
// highlighted item a 40x8 white bar with grey letters, nothing anywhere else.
TEST_F(Title, PictureForEitherHighlight)
{
    const int white = makecol(255, 255, 255), grey = makecol(100, 100, 100),
              black = makecol(0, 0, 0);
    struct Text {
        const char *text;
        int x, y;
    } const texts[] = {{"Vellmora", 51, 31}, {"Begin", 59, 60}, {"Leave", 59, 82}};

    for (int selected : {0, 1}) {
        SCOPED_TRACE(selected);
        TitleLoop::selected = selected;
        clear_to_color(buffer, makecol(30, 60, 90));
        TitleLoop::draw();

        Box bar = {59, selected == 0 ? 60 : 82, 59 + 39, (selected == 0 ? 60 : 82) + 7};
        for (const Text &t : texts) {
            SCOPED_TRACE(t.text);
            int w = static_cast<int>(strlen(t.text)) * 8;
            bool lit = t.y == bar.y0;
            Box cell = {t.x, t.y, t.x + w - 1, t.y + 7};
            EXPECT_EQ(glyphbox(t.text).moved(t.x, t.y),
                      inkbox(buffer, lit ? grey : white, cell.x0, cell.y0, cell.x1, cell.y1));
            // The highlighted item's background fills its cell edge to edge.
            if (lit) {
                EXPECT_EQ(cell, inkbox(buffer, white, cell.x0, cell.y0, cell.x1, cell.y1));
            }
        }
        for (int y = 0; y < BUFFER_H; ++y) {
            for (int x = 0; x < BUFFER_W; ++x) {
                bool inside = false;
                for (const Text &t : texts)
                    inside = inside || (x >= t.x && x < t.x + static_cast<int>(strlen(t.text)) * 8
                                        && y >= t.y && y < t.y + 8);
                int c = pixel(buffer, x, y);
                if (!inside) {
                    ASSERT_EQ(black, c) << x << "," << y;
                } else if (x >= bar.x0 && x <= bar.x1 && y >= bar.y0 && y <= bar.y1) {
                    ASSERT_TRUE(c == white || c == grey) << x << "," << y;
                } else {
                    ASSERT_TRUE(c == white || c == black) << x << "," << y;
                }
            }
        }
    }
}

// Each item is found exactly where its word is drawn, the highlight's bar edge to edge:
// every point of the picture and of a ring around it.
TEST_F(Title, TapsFindEachItemWhereItIsDrawn)
{
    const Box bars[NUM_TITLEITEMS] = {{59, 60, 98, 67}, {59, 82, 98, 89}};
    const int white = makecol(255, 255, 255);
    for (int item = 0; item < NUM_TITLEITEMS; ++item) {
        TitleLoop::selected = item;
        TitleLoop::draw();
        const Box &b = bars[item];
        EXPECT_EQ(b, inkbox(buffer, white, 0, b.y0 - 2, 159, b.y1 + 2));
    }
    EXPECT_TRUE(samehits(bars, NUM_TITLEITEMS, titleitemat));
}

struct TitleTapCase {
    const char *name;
    int selected; // before the tap
    int x, y;
    int wantselected;
    bool wantbegin, wantquit;
};

void PrintTo(const TitleTapCase &c, std::ostream *out)
{
    *out << c.name;
}

const TitleTapCase titletaps[] = {
    {"BeginFromBegin", 0, 59, 60, 0, true, false},
    {"BeginFromLeave", 1, 98, 67, 0, true, false},
    {"LeaveFromBegin", 0, 59, 89, 1, false, true},
    {"JustAboveBegin", 0, 70, 59, 0, false, false},
    {"JustRightOfLeave", 1, 99, 85, 1, false, false},
    {"OnTheName", 0, 60, 33, 0, false, false},
    {"OffThePicture", 0, -1, 60, 0, false, false},
};

class TitleTap : public Title, public ::testing::WithParamInterface<TitleTapCase> {};

TEST_P(TitleTap, HighlightsAndActivatesOnlyAnItem)
{
    const TitleTapCase &c = GetParam();
    tick({});
    TitleLoop::selected = c.selected;
    input_tap(c.x, c.y);
    tick({});
    EXPECT_EQ(c.wantselected, TitleLoop::selected);
    EXPECT_EQ(c.wantbegin, TitleLoop::begin);
    EXPECT_EQ(c.wantquit, quit);
}

INSTANTIATE_TEST_SUITE_P(Table, TitleTap, ::testing::ValuesIn(titletaps),
                         [](const ::testing::TestParamInfo<TitleTapCase> &info) {
                             return std::string(info.param.name);
                         });

// After the keys: Up moves the highlight to "Leave", then the tap on "Begin" starts a game.
TEST_F(Title, ATapActsAfterTheKeysOfItsTick)
{
    tick({});
    input_tap(60, 61);
    tick({KEY_UP});
    EXPECT_EQ(0, TitleLoop::selected);
    EXPECT_TRUE(TitleLoop::begin);
    EXPECT_FALSE(quit);
}

} // namespace
