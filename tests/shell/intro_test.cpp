// The intro splash: how it ends, where it leaves the pointer, what each frame shows.
#include "support/headless.h"

#include <cstdlib>
#include <vector>

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

namespace {

// Reads the text's colour from the buffer, where the first glyph's ink is.
int inkcolour()
{
    for (int y = 50; y < 58; ++y)
        for (int x = 4; x < 12; ++x)
            if (pixel(buffer, x, y) != makecol(0, 0, 0))
                return pixel(buffer, x, y);
    return makecol(0, 0, 0);
}

class CalmIntro : public Intro {
protected:
    void TearDown() override
    {
        calm = false;
        Intro::TearDown();
    }
};

// Calm: one colour for every frame of a period of ticks, however many frames it draws,
// and a new colour (a new draw of three numbers) when the next period begins.
TEST_F(CalmIntro, KeepsEachColourForAPeriodOfTicks)
{
    calm = true;
    srand(99);
    IntroLoop::enter();
    std::vector<int> colours; // the colour at each tick, drawn three frames a tick
    for (int tick = 0; tick < 5 * CALM_COLOUR_TICKS; ++tick) {
        for (int frame = 0; frame < 3; ++frame) {
            IntroLoop::draw();
            if (frame > 0)
                ASSERT_EQ(colours.back(), inkcolour()) << "tick " << tick;
            else
                colours.push_back(inkcolour());
        }
        ticks(1);
    }
    int changes = 0;
    for (size_t i = 1; i < colours.size(); ++i) {
        if (colours[i] != colours[i - 1]) {
            ++changes;
            EXPECT_EQ(0u, i % CALM_COLOUR_TICKS) << "changed at tick " << i;
        }
    }
    // Random colours may repeat by chance, but not four times in a row.
    EXPECT_GE(changes, 1);
    EXPECT_LE(changes, 4);
}

// A frame held back (a busy machine, a slow tab) brings many ticks at once. The change it
// shows late must not fall closer than a period to the next, or a calm splash would flash
// faster than it promises just when the machine is struggling.
TEST_F(CalmIntro, AStalledFrameNeverBringsTwoChangesCloserThanAPeriod)
{
    struct Stall {
        int at, ticks;
    };
    for (const Stall stall : {Stall{5, 14}, Stall{11, 2}, Stall{3, 40}, Stall{12, 23}}) {
        calm = true;
        srand(7);
        IntroLoop::enter();
        IntroLoop::draw();
        int last = inkcolour(), lastchange = 0, changes = 0;
        while (titletimer < 6 * CALM_COLOUR_TICKS) {
            ticks(titletimer == stall.at ? stall.ticks : 1);
            if (inkcolour() == last)
                continue;
            EXPECT_GE(titletimer - lastchange, CALM_COLOUR_TICKS)
                << "stall of " << stall.ticks << " at tick " << stall.at
                << ": changed at tick " << lastchange << " and again at " << titletimer;
            last = inkcolour();
            lastchange = titletimer;
            ++changes;
        }
        EXPECT_GE(changes, 3) << "stall of " << stall.ticks << " at tick " << stall.at;
    }
}

TEST_F(CalmIntro, StartsAfreshOnEntry)
{
    calm = true;
    srand(5);
    IntroLoop::enter();
    IntroLoop::draw();
    srand(6);
    IntroLoop::draw(); // same period: no new draw, so the seed does not matter
    const int first = inkcolour();
    srand(5);
    IntroLoop::enter();
    IntroLoop::draw();
    EXPECT_EQ(first, inkcolour());
    // A fresh entry draws again from the current seed.
    srand(1234);
    const int b = rand() % 255, g = rand() % 255, r = rand() % 255;
    srand(1234);
    IntroLoop::enter();
    IntroLoop::draw();
    EXPECT_EQ(makecol(r, g, b), inkcolour());
}

TEST_F(CalmIntro, DefaultStillChangesEveryFrame)
{
    calm = false;
    srand(42);
    IntroLoop::enter();
    IntroLoop::draw();
    const int a = inkcolour();
    IntroLoop::draw();
    EXPECT_NE(a, inkcolour());
}

} // namespace
