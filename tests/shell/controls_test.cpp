// The controls' latch: every press acts once, however short, from keys, the mouse, taps and
// pads, while a held press acts exactly as it always has.
#include "support/headless.h"

#include <functional>
#include <string>

#include "content/content.h"
#include "game/game.h"
#include "shell/shell.h"

namespace {

// A key as the keyboard driver reports it: key[] and the low-level callback together.
void keydown(int code)
{
    key[code] = -1;
    keyevent(code);
}

void keyup(int code)
{
    key[code] = 0;
    keyevent(code | 0x80);
}

void quickkey(int code)
{
    keydown(code);
    keyup(code);
}

// A pad button as the joystick driver reports it, seen by a pass's poll.
void padbutton(int button, bool down)
{
    joy[0].button[button].b = down;
    pollpads();
}

void quickpad(int button)
{
    padbutton(button, true);
    padbutton(button, false);
}

class Controls : public Headless {
protected:
    void SetUp() override
    {
        Headless::SetUp();
        num_joysticks = 1;
        joy[0].num_buttons = 17;
        padlayout[0] = STANDARD_PAD;
    }

    void TearDown() override
    {
        num_joysticks = 0;
        Headless::TearDown();
    }
};

// A game in its choosing phase with two options and a monologue to read.
void choosing()
{
    GameLoop::enter();
    selectedweather = {"1 ", "2 "};
    selectedconv.clear();
    selectedconv.push_back(Conv("a", "(0) ", {}));
    selectedconv.push_back(Conv("b", "(1) ", {}));
    curselected = 0;
    gamestate = 0;
}

struct LatchCase {
    const char *name;
    std::function<void()> enter;  // the screen, freshly entered and one tick run
    std::function<void()> press;  // one press, begun and ended between two ticks
    std::function<void()> logic;  // the screen's tick
    std::function<std::string()> seen; // what the screen made of it
    std::string want;
};

void PrintTo(const LatchCase &c, std::ostream *out)
{
    *out << c.name;
}

std::string title()
{
    return std::to_string(TitleLoop::selected) + (TitleLoop::begin ? " begin" : "") +
           (quit ? " quit" : "");
}

std::string game()
{
    return std::to_string(gamestate) + " on " + std::to_string(curselected) +
           (leave ? " leave" : "");
}

std::string intro()
{
    return finishedtitle ? "over" : "running";
}

const LatchCase latchcases[] = {
    {"KeyUpOnTitle", TitleLoop::enter, [] { quickkey(KEY_UP); }, TitleLoop::logic, title, "1"},
    {"KeySpaceOnTitle", TitleLoop::enter, [] { quickkey(KEY_SPACE); }, TitleLoop::logic, title,
     "0 begin"},
    {"KeyEscapeOnTitle", TitleLoop::enter, [] { quickkey(KEY_ESC); }, TitleLoop::logic, title,
     "0 quit"},
    {"KeyRightInGame", choosing, [] { quickkey(KEY_RIGHT); }, GameLoop::logic, game, "0 on 1"},
    {"KeySpaceInGame", choosing, [] { quickkey(KEY_SPACE); }, GameLoop::logic, game, "1 on 0"},
    {"KeyEscapeInGame", choosing, [] { quickkey(KEY_ESC); }, GameLoop::logic, game,
     "0 on 0 leave"},
    {"MouseButtonOnSplash", IntroLoop::enter, [] { mouseevent(MOUSE_FLAG_LEFT_DOWN); },
     IntroLoop::logic, intro, "over"},
    {"TapOnLeave", TitleLoop::enter, [] { input_tap(60, 83); }, TitleLoop::logic, title,
     "1 quit"},
    {"TapOnABoxInGame", choosing, [] { input_tap(100, 80); }, GameLoop::logic, game, "1 on 1"},
    {"PadDownOnTitle", TitleLoop::enter, [] { quickpad(13); }, TitleLoop::logic, title, "1"},
    {"PadStartOnTitle", TitleLoop::enter, [] { quickpad(9); }, TitleLoop::logic, title,
     "0 begin"},
    {"PadBackInGame", choosing, [] { quickpad(8); }, GameLoop::logic, game, "0 on 0 leave"},
    {"PadAInGame", choosing, [] { quickpad(0); }, GameLoop::logic, game, "1 on 0"},
    {"PadAnyButtonOnSplash", IntroLoop::enter, [] { quickpad(3); }, IntroLoop::logic, intro,
     "over"},
};

class Latch : public Controls, public ::testing::WithParamInterface<LatchCase> {};

// Nothing is down at any tick, yet the press acts, and only once.
TEST_P(Latch, APressBetweenTwoTicksActsOnce)
{
    const LatchCase &c = GetParam();
    c.enter();
    c.logic();
    c.press();
    for (int i = 0; i < 4; ++i)
        c.logic();
    EXPECT_EQ(c.want, c.seen());
}

INSTANTIATE_TEST_SUITE_P(Table, Latch, ::testing::ValuesIn(latchcases),
                         [](const ::testing::TestParamInfo<LatchCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(Controls, AHeldKeyActsOnceAsItAlwaysHas)
{
    TitleLoop::enter();
    TitleLoop::logic();
    keydown(KEY_UP);
    for (int i = 0; i < 5; ++i)
        TitleLoop::logic();
    EXPECT_EQ(1, TitleLoop::selected);
    EXPECT_TRUE(TitleLoop::upheld);
    keyup(KEY_UP);
    TitleLoop::logic();
    EXPECT_FALSE(TitleLoop::upheld);
    EXPECT_EQ(1, TitleLoop::selected);
}

TEST_F(Controls, AHeldPadButtonActsOnceAsAKeyDoes)
{
    choosing();
    GameLoop::logic();
    padbutton(0, true);
    for (int i = 0; i < 5; ++i) {
        pollpads();
        GameLoop::logic();
    }
    EXPECT_EQ(1, gamestate);
    padbutton(0, false);
    GameLoop::logic();
    padbutton(0, true);
    GameLoop::logic();
    EXPECT_EQ(2, gamestate);
}

// Each press counts: two between the same two ticks act on two ticks, the input shown up
// for a tick between them, so the screen's own held flags see two fresh presses.
TEST_F(Controls, TwoQuickPressesBetweenTwoTicksActTwice)
{
    TitleLoop::enter();
    TitleLoop::logic();
    quickkey(KEY_DOWN);
    quickkey(KEY_DOWN);
    TitleLoop::logic();
    EXPECT_EQ(1, TitleLoop::selected);
    TitleLoop::logic();
    EXPECT_EQ(1, TitleLoop::selected);
    TitleLoop::logic();
    EXPECT_EQ(0, TitleLoop::selected);
    TitleLoop::logic();
    EXPECT_EQ(0, TitleLoop::selected);
}

TEST_F(Controls, AHeldKeyReleasedAndPressedAgainBetweenTicksActsAgain)
{
    choosing();
    GameLoop::logic();
    keydown(KEY_SPACE);
    GameLoop::logic();
    EXPECT_EQ(1, gamestate);
    keyup(KEY_SPACE);
    keydown(KEY_SPACE);
    GameLoop::logic();
    GameLoop::logic();
    EXPECT_EQ(2, gamestate);
    GameLoop::logic();
    EXPECT_EQ(2, gamestate);
}

// The keyboard repeats a held key's press; a repeat is not a new press.
TEST_F(Controls, RepeatsOfAHeldKeyDoNotAct)
{
    choosing();
    GameLoop::logic();
    keydown(KEY_SPACE);
    GameLoop::logic();
    keyevent(KEY_SPACE);
    keyevent(KEY_SPACE);
    for (int i = 0; i < 3; ++i)
        GameLoop::logic();
    EXPECT_EQ(1, gamestate);
}

// On entry every control counts as held: a press from before belongs to the screen before.
TEST_F(Controls, EntryDropsPressesAndTapsFromBefore)
{
    quickkey(KEY_SPACE);
    input_tap(60, 61);
    TitleLoop::enter();
    for (int i = 0; i < 3; ++i)
        TitleLoop::logic();
    EXPECT_EQ("0", title());
}

// A tap acts after the keys of its tick; with a step of the keys it waits a tick.
TEST_F(Controls, ATapWithSpaceInOneTickStepsOnTheNext)
{
    choosing();
    GameLoop::logic();
    quickkey(KEY_SPACE);
    input_tap(10, 10);
    GameLoop::logic();
    EXPECT_EQ(1, gamestate);
    GameLoop::logic();
    EXPECT_EQ(2, gamestate);
    GameLoop::logic();
    EXPECT_EQ(2, gamestate);
}

TEST_F(Controls, TapsActOneATickInTheOrderTheyCame)
{
    TitleLoop::enter();
    input_tap(70, 85); // "Leave"
    input_tap(70, 62); // "Begin"
    TitleLoop::logic();
    EXPECT_EQ("1 quit", title());
    quit = false;
    TitleLoop::logic();
    EXPECT_EQ("0 begin", title());
}

// Screen coordinates reach the picture through the placement; the borders are not on it.
TEST_F(Controls, ScreenTapsMapThroughThePlacement)
{
    struct Case {
        int screenw, screenh, x, y;
        bool onpicture;
        int px, py;
    } cases[] = {
        {640, 480, 0, 0, true, 0, 0},
        {640, 480, 639, 479, true, 159, 119},
        {1920, 1080, 240, 0, true, 0, 0},  // k 9, 240 px of border each side
        {1920, 1080, 239, 500, false, 0, 0},
        {1920, 1080, 1680, 500, false, 0, 0},
        {1920, 1080, 1679, 1079, true, 159, 119},
        {160, 120, 37, 99, true, 37, 99}, // the browser's screen is the picture
    };
    for (const Case &c : cases) {
        placement = placeon(c.screenw, c.screenh);
        holdcontrols();
        screentap(c.x, c.y);
        readcontrols();
        Tap tap = {-1, -1};
        const bool got = taketap(tap);
        EXPECT_EQ(c.onpicture, got) << c.screenw << "x" << c.screenh << " at " << c.x;
        if (got && c.onpicture) {
            EXPECT_EQ(c.px, tap.x);
            EXPECT_EQ(c.py, tap.y);
        }
    }
}

// On the desktop a click ends the splash and plays nothing else.
TEST_F(Controls, ADesktopClickQueuesNoTap)
{
    mouse_x = 300;
    mouse_y = 300;
    mouseevent(MOUSE_FLAG_LEFT_DOWN);
    readcontrols();
    Tap tap;
    EXPECT_TRUE(controldown(INPUT_CLICK));
    EXPECT_FALSE(taketap(tap));
}

} // namespace
