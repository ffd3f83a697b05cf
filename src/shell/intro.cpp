// The intro splash, shown once after start-up.
#include <allegro.h>

#include <cstdlib>

#include "shell/platform.h"
#include "shell/shell.h"

static const char SPLASH_LINE[] = "Ossiander presents";

int titletimer = 0;
bool finishedtitle = false;

static int calmcolour = 0;     // the colour a calm splash shows until its next change
static int calmfrom = -1;      // the tick calmcolour counts from; -1 before the first

void IntroLoop::enter()
{
    // Ticks that piled up while the screen mode was being set are not the intro's.
    speed_count = 0;
    titletimer = 0;
    finishedtitle = false;
    calmfrom = -1;
    platform_tell(SPLASH_LINE);
}

bool IntroLoop::finished()
{
    return finishedtitle;
}

// The key press stays in the keyboard buffer: the intro only looks at it. A click, a tap or
// a pad's button counts even when it came and went since the last tick.
void IntroLoop::logic()
{
    readcontrols();
    ++titletimer;
    if (titletimer > INTRO_TICKS || controldown(INPUT_CLICK) || keypressed() ||
        controldown(INPUT_ANYBUTTON)) {
        position_mouse(400, 200);
        finishedtitle = true;
    }
}

static int randomcolour()
{
    // Three separate draws, blue first: the order fixes which colour a seed gives.
    int blue = rand() % 255;
    int green = rand() % 255;
    int red = rand() % 255;
    return makecol(red, green, blue);
}

// Counted in ticks rather than frames, so a fast display cannot make it flash faster. The
// first colour counts from the start of its period; each later one from the tick it was
// first shown, so a change held back by a stalled frame pushes the next one back too, rather
// than letting the two fall closer together than a period.
static int steadycolour()
{
    if (calmfrom < 0 || titletimer - calmfrom >= CALM_COLOUR_TICKS) {
        calmfrom = calmfrom < 0 ? titletimer - titletimer % CALM_COLOUR_TICKS : titletimer;
        calmcolour = randomcolour();
    }
    return calmcolour;
}

void IntroLoop::draw()
{
    clear_to_color(buffer, makecol(0, 0, 0));
    const int colour = calm ? steadycolour() : randomcolour();
    textout_ex(buffer, font, SPLASH_LINE, 4, 50, colour, makecol(0, 0, 0));
}
