// The one pass every screen runs: poll the music, run pending ticks, draw, stretch.
#pragma once

#include <allegro.h>

#include "music/music.h"
#include "shell/platform.h"
#include "shell/shell.h"

// One pass of a screen: the switch between full screen and a window when asked for, a look
// at the pads (a pass is far shorter than a tick, so a quick press is seen), every pending
// tick back to back, one frame, then the platform's turn (a page shows the frame).
// End flags are deliberately not looked at between the ticks of a batch.
template <class Screen>
void pass()
{
    if (togglepressed())
        togglescreen();
    al_poll_duh(dplay);
    pollpads();
    while (speed_count > 0) {
        poll_mouse();
        Screen::logic();
        --speed_count;
    }
    Screen::draw();
    present();
    platform_yield();
}

// The borders are cleared again at every entry, in case something drew over them meanwhile.
template <class Screen>
void enterscreen()
{
    Screen::enter();
    clearborders();
}

// One pass of an entered screen; none, and false, once it has finished or the player is
// leaving. End flags are deliberately looked at only between passes.
template <class Screen>
bool screenpass()
{
    if (leaving() || Screen::finished())
        return false;
    pass<Screen>();
    return true;
}

// A whole screen at once, as a desktop's loop runs it.
template <class Screen>
void loop()
{
    enterscreen<Screen>();
    while (screenpass<Screen>()) {
    }
}
