// The one screen loop every screen runs: poll the music, run pending ticks, draw, stretch.
#pragma once

#include <allegro.h>

#include "music/music.h"
#include "shell/shell.h"

// One pass of a screen: every pending tick back to back, then one frame.
// End flags are deliberately not looked at between the ticks of a batch.
template <class Screen>
void pass()
{
    al_poll_duh(dplay);
    while (speed_count > 0) {
        poll_mouse();
        Screen::logic();
        --speed_count;
    }
    Screen::draw();
    stretch_blit(buffer, screen, 0, 0, BUFFER_W, BUFFER_H, 0, 0, DISPLAY_W, DISPLAY_H);
}

// The loop never sleeps: frames go out as fast as the machine allows,
// while logic advances only as the timer thread adds ticks.
template <class Screen>
void loop()
{
    Screen::enter();
    while (!quit && !Screen::finished())
        pass<Screen>();
}
