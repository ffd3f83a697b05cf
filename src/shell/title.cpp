// The title menu: "Begin" or "Leave".
#include <allegro.h>

#include "shell/shell.h"

bool TitleLoop::begin = false;
int TitleLoop::selected = 0;
bool TitleLoop::upheld = false;
bool TitleLoop::downheld = false;
bool TitleLoop::spaceheld = false;

// Everything counts as held on entry, so keys still down from the game do nothing.
void TitleLoop::enter()
{
    begin = false;
    selected = 0;
    upheld = true;
    downheld = true;
    spaceheld = true;
    escpressed = true;
}

bool TitleLoop::finished()
{
    return begin;
}

// With two items, an arrow in either direction moves to the other one.
static void arrow(int code, bool &held)
{
    if (key[code] && !held) {
        held = true;
        TitleLoop::selected = (TitleLoop::selected + 1) % 2;
    }
    if (!key[code])
        held = false;
}

void TitleLoop::logic()
{
    if (key[KEY_ESC] && !escpressed)
        quit = true;
    escpressed = key[KEY_ESC] != 0;

    arrow(KEY_UP, upheld);
    arrow(KEY_DOWN, downheld);

    // A press acts without latching Space: only the entry latch holds it back.
    if (key[KEY_SPACE] && !spaceheld) {
        if (selected == 1)
            quit = true;
        else
            begin = true;
    }
    if (!key[KEY_SPACE])
        spaceheld = false;
}

static void item(const char *text, int y, bool highlighted)
{
    int fg = highlighted ? makecol(100, 100, 100) : makecol(255, 255, 255);
    int bg = highlighted ? makecol(255, 255, 255) : makecol(0, 0, 0);
    textout_ex(buffer, font, text, 59, y, fg, bg);
}

void TitleLoop::draw()
{
    clear_to_color(buffer, makecol(0, 0, 0));
    textout_ex(buffer, font, "Vellmora", 51, 31, makecol(255, 255, 255), makecol(0, 0, 0));
    item("Begin", 60, selected == 0);
    item("Leave", 82, selected == 1);
}
