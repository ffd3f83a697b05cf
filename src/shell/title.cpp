// The title menu: "Begin" or "Leave".
#include <allegro.h>

#include "shell/platform.h"
#include "shell/shell.h"

static const char TITLE[] = "Vellmora";
static const char *const items[2] = {"Begin", "Leave"}; // by TitleLoop::selected

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
    platform_tell(TITLE);
    platform_tell(items[selected]);
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

    // Up and Down in the same tick leave the highlight where it was: nothing new to tell.
    const int was = selected;
    arrow(KEY_UP, upheld);
    arrow(KEY_DOWN, downheld);
    if (selected != was)
        platform_tell(items[selected]);

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
    textout_ex(buffer, font, TITLE, 51, 31, makecol(255, 255, 255), makecol(0, 0, 0));
    item(items[0], 60, selected == 0);
    item(items[1], 82, selected == 1);
}
