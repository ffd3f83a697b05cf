// Game pads: buttons, D-pads and the left stick, from joy[] as Allegro's drivers fill it.
#include "support/headless.h"

#include <functional>
#include <string>

#include "shell/shell.h"

namespace {

const unsigned U = 1u << CONTROL_UP, D = 1u << CONTROL_DOWN, L = 1u << CONTROL_LEFT,
               R = 1u << CONTROL_RIGHT, SP = 1u << CONTROL_SPACE, ESC = 1u << CONTROL_ESCAPE,
               ANY = 1u << INPUT_ANYBUTTON;

// A pad as the drivers give it: buttons, the left stick, two trigger axes and a hat.
JOYSTICK_INFO pad(int buttons, bool digitalhat)
{
    JOYSTICK_INFO p = JOYSTICK_INFO();
    p.flags = JOYFLAG_ANALOGUE;
    p.num_buttons = buttons;
    p.num_sticks = 3;
    p.stick[0].flags = JOYFLAG_ANALOGUE | JOYFLAG_SIGNED;
    p.stick[0].num_axis = 2;
    p.stick[1].flags = JOYFLAG_ANALOGUE | JOYFLAG_SIGNED;
    p.stick[1].num_axis = 2;
    p.stick[2].flags = digitalhat ? JOYFLAG_DIGITAL : (JOYFLAG_ANALOGUE | JOYFLAG_SIGNED);
    p.stick[2].num_axis = 2;
    return p;
}

void axis(JOYSTICK_AXIS_INFO &a, int pos)
{
    a.pos = pos;
    a.d1 = pos < -64;
    a.d2 = pos > 64;
}

struct PadCase {
    const char *name;
    PadLayout layout;
    bool digitalhat;
    std::function<void(JOYSTICK_INFO &)> fill;
    unsigned want;
};

void PrintTo(const PadCase &c, std::ostream *out)
{
    *out << c.name;
}

// Linux's xpad as the kernel names it: its hat is Allegro's third stick.
const PadLayout XPAD = {0, 7, 6, {-1, -1, -1, -1}, 2};

const PadCase padcases[] = {
    {"Resting", STANDARD_PAD, false, [](JOYSTICK_INFO &) {}, 0},
    {"StandardA", STANDARD_PAD, false, [](JOYSTICK_INFO &p) { p.button[0].b = 1; }, SP | ANY},
    {"StandardStart", STANDARD_PAD, false, [](JOYSTICK_INFO &p) { p.button[9].b = 1; },
     SP | ANY},
    {"StandardBack", STANDARD_PAD, false, [](JOYSTICK_INFO &p) { p.button[8].b = 1; },
     ESC | ANY},
    {"StandardBIsOnlyAButton", STANDARD_PAD, false, [](JOYSTICK_INFO &p) { p.button[1].b = 1; },
     ANY},
    {"StandardLeftTriggerDoesNotLeave", STANDARD_PAD, false,
     [](JOYSTICK_INFO &p) { p.button[6].b = 1; }, ANY},
    {"StandardDpadUp", STANDARD_PAD, false, [](JOYSTICK_INFO &p) { p.button[12].b = 1; },
     U | ANY},
    {"StandardDpadDown", STANDARD_PAD, false, [](JOYSTICK_INFO &p) { p.button[13].b = 1; },
     D | ANY},
    {"StandardDpadLeft", STANDARD_PAD, false, [](JOYSTICK_INFO &p) { p.button[14].b = 1; },
     L | ANY},
    {"StandardDpadRight", STANDARD_PAD, false, [](JOYSTICK_INFO &p) { p.button[15].b = 1; },
     R | ANY},
    {"XInputBack", XINPUT_PAD, true, [](JOYSTICK_INFO &p) { p.button[6].b = 1; }, ESC | ANY},
    {"XInputStart", XINPUT_PAD, true, [](JOYSTICK_INFO &p) { p.button[7].b = 1; }, SP | ANY},
    {"XInputGuideIsOnlyAButton", XINPUT_PAD, true, [](JOYSTICK_INFO &p) { p.button[8].b = 1; },
     ANY},
    {"ButtonPastTheCountIsNone", STANDARD_PAD, false,
     [](JOYSTICK_INFO &p) { p.num_buttons = 9, p.button[9].b = 1; }, 0},
    {"DigitalHatUpLeft", XINPUT_PAD, true,
     [](JOYSTICK_INFO &p) { axis(p.stick[2].axis[0], -128), axis(p.stick[2].axis[1], -128); },
     U | L},
    {"LinuxHatRight", XPAD, false, [](JOYSTICK_INFO &p) { axis(p.stick[2].axis[0], 127); }, R},
    {"AnalogueThirdStickIsNoDpadUnlessNamed", STANDARD_PAD, false,
     [](JOYSTICK_INFO &p) { axis(p.stick[2].axis[0], 127); }, 0},
    // Triggers at rest sit at one end of their axes: they are no arrows.
    {"TriggersAtRest", XPAD, false,
     [](JOYSTICK_INFO &p) { axis(p.stick[1].axis[0], -127), axis(p.stick[1].axis[1], -127); },
     0},
    {"StickHalfWayRight", STANDARD_PAD, false,
     [](JOYSTICK_INFO &p) { axis(p.stick[0].axis[0], STICK_ON); }, R},
    {"StickJustShortOfHalfWay", STANDARD_PAD, false,
     [](JOYSTICK_INFO &p) { axis(p.stick[0].axis[0], STICK_ON - 1); }, 0},
    {"StickUpLeft", STANDARD_PAD, false,
     [](JOYSTICK_INFO &p) { axis(p.stick[0].axis[0], -100), axis(p.stick[0].axis[1], -100); },
     U | L},
    {"StickFullDown", STANDARD_PAD, false,
     [](JOYSTICK_INFO &p) { axis(p.stick[0].axis[1], 127); }, D},
    {"StickRestingAtThreeTenths", STANDARD_PAD, false,
     [](JOYSTICK_INFO &p) { axis(p.stick[0].axis[0], 38), axis(p.stick[0].axis[1], -38); }, 0},
};

class PadMapping : public Headless, public ::testing::WithParamInterface<PadCase> {};

TEST_P(PadMapping, GivesTheControlsHeld)
{
    const PadCase &c = GetParam();
    JOYSTICK_INFO p = pad(17, c.digitalhat);
    c.fill(p);
    unsigned stick = 0;
    EXPECT_EQ(c.want, padcontrols(p, c.layout, stick));
}

INSTANTIATE_TEST_SUITE_P(Table, PadMapping, ::testing::ValuesIn(padcases),
                         [](const ::testing::TestParamInfo<PadCase> &info) {
                             return std::string(info.param.name);
                         });

// Past half way to come on, back under a quarter to go off: a stick that comes to rest
// part way out after a push lets go of the arrow only once it is nearly centred.
TEST_F(Headless, TheLeftStickHasHysteresis)
{
    struct Step {
        int x;
        unsigned want;
    } steps[] = {
        {40, 0}, {STICK_ON, R}, {40, R}, {STICK_OFF, R}, {STICK_OFF - 1, 0},
        {40, 0}, {-STICK_ON, L}, {-STICK_OFF, L}, {0, 0},
    };
    JOYSTICK_INFO p = pad(17, false);
    unsigned stick = 0;
    for (const Step &s : steps) {
        axis(p.stick[0].axis[0], s.x);
        EXPECT_EQ(s.want, padcontrols(p, STANDARD_PAD, stick)) << "x " << s.x;
    }
}

// A resting stick held at 0.3 never moves the highlight, however many ticks run.
TEST_F(Headless, ARestingStickNeverMovesTheTitle)
{
    num_joysticks = 1;
    padlayout[0] = STANDARD_PAD;
    joy[0] = pad(17, false);
    axis(joy[0].stick[0].axis[1], 38);
    TitleLoop::enter();
    for (int i = 0; i < 30; ++i)
        TitleLoop::logic();
    EXPECT_EQ(0, TitleLoop::selected);
    axis(joy[0].stick[0].axis[1], 100);
    TitleLoop::logic();
    TitleLoop::logic();
    EXPECT_EQ(1, TitleLoop::selected);
    num_joysticks = 0;
}

} // namespace
