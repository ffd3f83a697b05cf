// The intro splash, shown once after start-up.
#include <allegro.h>

#include <cstdlib>

#include "shell/shell.h"

int titletimer = 0;
bool finishedtitle = false;

void IntroLoop::enter()
{
    // Ticks that piled up while the screen mode was being set are not the intro's.
    speed_count = 0;
    titletimer = 0;
    finishedtitle = false;
}

bool IntroLoop::finished()
{
    return finishedtitle;
}

// The key press stays in the keyboard buffer: the intro only looks at it.
void IntroLoop::logic()
{
    ++titletimer;
    if (titletimer > INTRO_TICKS || (mouse_b & 1) || keypressed()) {
        position_mouse(400, 200);
        finishedtitle = true;
    }
}

void IntroLoop::draw()
{
    clear_to_color(buffer, makecol(0, 0, 0));
    // Three separate draws, blue first: the order fixes which colour a seed gives.
    int blue = rand() % 255;
    int green = rand() % 255;
    int red = rand() % 255;
    textout_ex(buffer, font, "Ossiander presents", 4, 50, makecol(red, green, blue),
               makecol(0, 0, 0));
}
