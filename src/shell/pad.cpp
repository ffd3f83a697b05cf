// Game pads: which of a pad's buttons and sticks are which of the six controls.
#include <allegro.h>

#include "shell/shell.h"

PadLayout padlayout[MAX_PADS];

static bool buttondown(const JOYSTICK_INFO &pad, int button)
{
    return button >= 0 && button < pad.num_buttons && pad.button[button].b;
}

// One axis of the left stick: towards `low` or `high`, or neither.
static unsigned stickaxis(int pos, int low, int high, unsigned before)
{
    const unsigned lowbit = 1u << low, highbit = 1u << high;
    if (pos <= -((before & lowbit) ? STICK_OFF : STICK_ON))
        return lowbit;
    if (pos >= ((before & highbit) ? STICK_OFF : STICK_ON))
        return highbit;
    return 0;
}

// A hat gives its directions as Allegro's digital flags.
static unsigned hat(const JOYSTICK_STICK_INFO &s)
{
    unsigned bits = 0;
    if (s.axis[0].d1)
        bits |= 1u << CONTROL_LEFT;
    if (s.axis[0].d2)
        bits |= 1u << CONTROL_RIGHT;
    if (s.axis[1].d1)
        bits |= 1u << CONTROL_UP;
    if (s.axis[1].d2)
        bits |= 1u << CONTROL_DOWN;
    return bits;
}

unsigned padcontrols(const JOYSTICK_INFO &pad, const PadLayout &layout, unsigned &stick)
{
    unsigned bits = 0;
    for (int b = 0; b < pad.num_buttons && b < MAX_JOYSTICK_BUTTONS; ++b)
        if (pad.button[b].b)
            bits |= 1u << INPUT_ANYBUTTON;
    if (buttondown(pad, layout.south) || buttondown(pad, layout.start))
        bits |= 1u << CONTROL_SPACE;
    if (buttondown(pad, layout.back))
        bits |= 1u << CONTROL_ESCAPE;
    for (int d = 0; d < 4; ++d)
        if (buttondown(pad, layout.dpad[d]))
            bits |= 1u << d;

    unsigned left = 0;
    for (int s = 0; s < pad.num_sticks && s < MAX_JOYSTICK_STICKS; ++s) {
        const JOYSTICK_STICK_INFO &st = pad.stick[s];
        if (st.num_axis < 2)
            continue;
        if (s == layout.dpadstick || (st.flags & JOYFLAG_DIGITAL))
            bits |= hat(st);
        else if (s == 0)
            left = stickaxis(st.axis[0].pos, CONTROL_LEFT, CONTROL_RIGHT, stick) |
                   stickaxis(st.axis[1].pos, CONTROL_UP, CONTROL_DOWN, stick);
    }
    stick = left;
    return bits | left;
}
