// The intro splash: how it ends, where it leaves the pointer, what each frame shows.
#include "support/headless.h"

#include <cstdlib>

#include "shell/loop.h"
#include "shell/shell.h"

namespace {

class Intro : public Headless {
protected:
    void TearDown() override
    {
        mouse_driver = nullptr;
        Headless::TearDown();
    }

    // Runs n ticks in one pass, as the screen loop would after a stall.
    static void ticks(int n)
    {
        speed_count = n;
        pass<IntroLoop>();
    }
};

TEST_F(Intro, EnterDropsTicksPiledUpDuringStartUp)
{
    speed_count = 250;
    titletimer = 77;
    finishedtitle = true;
    IntroLoop::enter();
    EXPECT_EQ(0, speed_count.load());
    EXPECT_EQ(0, titletimer);
    EXPECT_FALSE(IntroLoop::finished());
    pass<IntroLoop>();
    EXPECT_EQ(0, titletimer);
}

TEST_F(Intro, WithoutInputEndsAtItsTick6001)
{
    IntroLoop::enter();
    ticks(6000);
    EXPECT_EQ(6000, titletimer);
    EXPECT_FALSE(IntroLoop::finished());
    ticks(1);
    EXPECT_TRUE(IntroLoop::finished());
}

struct InputCase {
    const char *what;
    bool keywaiting;
    int buttons;
    int heldkey; // an entry of key[] that is down, or 0
    bool ends;
};

void PrintTo(const InputCase &c, std::ostream *out)
{
    *out << c.what;
}

class IntroInput : public Intro, public ::testing::WithParamInterface<InputCase> {};

TEST_P(IntroInput, DecidesAtTheFirstTick)
{
    const InputCase &c = GetParam();
    IntroLoop::enter();
    if (c.keywaiting)
        simulate_keypress((KEY_A << 8) | 'a');
    mouse_b = c.buttons;
    if (c.heldkey)
        key[c.heldkey] = 1;
    ticks(1);
    EXPECT_EQ(1, titletimer);
    EXPECT_EQ(c.ends, IntroLoop::finished());
    // The intro reads the keyboard buffer but leaves the press in it.
    EXPECT_EQ(c.keywaiting, keypressed() != 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, IntroInput, ::testing::Values(
    InputCase{"key press waiting", true, 0, 0, true},
    InputCase{"left button", false, 1, 0, true},
    InputCase{"left and right buttons", false, 3, 0, true},
    InputCase{"right button", false, 2, 0, false},
    InputCase{"middle button", false, 4, 0, false},
    InputCase{"Space down but nothing buffered", false, 0, KEY_SPACE, false},
    InputCase{"nothing", false, 0, 0, false}),
    [](const ::testing::TestParamInfo<InputCase> &info) {
        std::string name;
        for (const char *p = info.param.what; *p; ++p)
            if (isalnum(static_cast<unsigned char>(*p)))
                name += *p;
        return name;
    });

// No mouse can be installed without a display, so a stand-in driver without a
// positioning method lets Allegro keep the pointer position itself.
MOUSE_DRIVER standinmouse = {AL_ID('T', 'E', 'S', 'T'), "", "", "stand-in", nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr};

TEST_F(Intro, PointerGoesTo400x200OnlyWhenTheIntroEnds)
{
    mouse_driver = &standinmouse;
    position_mouse(10, 20);
    IntroLoop::enter();
    ticks(3);
    EXPECT_FALSE(IntroLoop::finished());
    EXPECT_EQ(10, mouse_x);
    EXPECT_EQ(20, mouse_y);
    simulate_keypress((KEY_A << 8) | 'a');
    ticks(1);
    ASSERT_TRUE(IntroLoop::finished());
    EXPECT_EQ(400, mouse_x);
    EXPECT_EQ(200, mouse_y);
}

TEST_F(Intro, TimingOutAlsoMovesThePointer)
{
    mouse_driver = &standinmouse;
    position_mouse(10, 20);
    IntroLoop::enter();
    ticks(6001);
    ASSERT_TRUE(IntroLoop::finished());
    EXPECT_EQ(400, mouse_x);
    EXPECT_EQ(200, mouse_y);
}

// The text in one colour on black, every other pixel black, the glyphs exactly at (4, 50).
TEST_F(Intro, EachFrameDrawsItsColourBlueGreenRedOnBlack)
{
    for (unsigned seed : {1u, 7u, 4242u}) {
        SCOPED_TRACE(seed);
        srand(seed);
        int first = rand() % 255, second = rand() % 255, third = rand() % 255;
        int fourth = rand();
        int expected = makecol(third, second, first);
        ASSERT_NE(makecol(0, 0, 0), expected);

        clear_to_color(buffer, makecol(255, 255, 255));
        srand(seed);
        IntroLoop::draw();
        // Three numbers a frame, no more: the next frame starts from the fourth.
        EXPECT_EQ(fourth, rand());
        EXPECT_EQ(glyphbox("Ossiander presents").moved(4, 50), inkbox(buffer, expected));
        for (int y = 0; y < BUFFER_H; ++y)
            for (int x = 0; x < BUFFER_W; ++x) {
                int c = pixel(buffer, x, y);
                ASSERT_TRUE(c == expected || c == makecol(0, 0, 0)) << x << "," << y;
            }
    }
}

} // namespace
