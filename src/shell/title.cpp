// The title menu: "Begin" or "Leave".
#include <allegro.h>

#include "shell/shell.h"

bool TitleLoop::begin = false;
int TitleLoop::selected = 0;
bool TitleLoop::upheld = false;
bool TitleLoop::downheld = false;
bool TitleLoop::spaceheld = false;

// The items' words and where they are written; the bar behind a word is its own cells.
static const char *const itemtext[NUM_TITLEITEMS] = {"Begin", "Leave"};
static const int ITEM_X = 59;
static const int itemy[NUM_TITLEITEMS] = {60, 82};

Rect titleitem(int item)
{
    return {ITEM_X, itemy[item], text_length(font, itemtext[item]), text_height(font)};
}

int titleitemat(int x, int y)
{
    for (int item = 0; item < NUM_TITLEITEMS; ++item)
        if (titleitem(item).holds(x, y))
            return item;
    return -1;
}

// Everything counts as held on entry, so keys still down from the game do nothing.
void TitleLoop::enter()
{
    begin = false;
    selected = 0;
    upheld = true;
    downheld = true;
    spaceheld = true;
    escpressed = true;
    holdcontrols();
}

bool TitleLoop::finished()
{
    return begin;
}

// With two items, an arrow in either direction moves to the other one.
static void arrow(int control, bool &held)
{
    if (controldown(control) && !held) {
        held = true;
        TitleLoop::selected = (TitleLoop::selected + 1) % 2;
    }
    if (!controldown(control))
        held = false;
}

static void activate()
{
    if (TitleLoop::selected == 1)
        quit = true;
    else
        TitleLoop::begin = true;
}

void TitleLoop::logic()
{
    readcontrols();
    if (controldown(CONTROL_ESCAPE) && !escpressed)
        quit = true;
    escpressed = controldown(CONTROL_ESCAPE);

    arrow(CONTROL_UP, upheld);
    arrow(CONTROL_DOWN, downheld);

    // A press acts without latching Space: only the entry latch holds it back.
    if (controldown(CONTROL_SPACE) && !spaceheld)
        activate();
    if (!controldown(CONTROL_SPACE))
        spaceheld = false;

    // A tap on an item highlights it and activates it, after the keys; elsewhere it is lost.
    Tap tap;
    if (taketap(tap)) {
        const int item = titleitemat(tap.x, tap.y);
        if (item >= 0) {
            selected = item;
            activate();
        }
    }
}

static void item(int which, bool highlighted)
{
    int fg = highlighted ? makecol(100, 100, 100) : makecol(255, 255, 255);
    int bg = highlighted ? makecol(255, 255, 255) : makecol(0, 0, 0);
    const Rect r = titleitem(which);
    textout_ex(buffer, font, itemtext[which], r.x, r.y, fg, bg);
}

void TitleLoop::draw()
{
    clear_to_color(buffer, makecol(0, 0, 0));
    textout_ex(buffer, font, "Vellmora", 51, 31, makecol(255, 255, 255), makecol(0, 0, 0));
    for (int which = 0; which < NUM_TITLEITEMS; ++which)
        item(which, selected == which);
}
