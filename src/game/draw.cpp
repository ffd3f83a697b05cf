// The game screen: the text panel and the option grid.
#include <allegro.h>

#include "content/content.h"
#include "game/game.h"
#include "shell/shell.h"

// The option grid: two rows of two boxes of 80x23 pixels, each with its own outline,
// so the lines between boxes are two pixels thick. Box 0 top left, 3 bottom right.
static const int BOX_W = 80;
static const int BOX_H = 23;
static const int boxleft[NUM_BOXES] = {0, 80, 0, 80};
static const int boxtop[NUM_BOXES] = {74, 74, 97, 97};
static const int LABEL_DX = 4; // label offset inside its box
static const int LABEL_DY = 3;

Rect boxrect(int box)
{
    return {boxleft[box], boxtop[box], BOX_W, BOX_H};
}

int boxat(int x, int y)
{
    for (int box = 0; box < NUM_BOXES; ++box)
        if (boxrect(box).holds(x, y))
            return box;
    return -1;
}

static void outline(int box, int inset)
{
    const Rect r = boxrect(box);
    rect(buffer, r.x + inset, r.y + inset, r.x + r.w - 1 - inset, r.y + r.h - 1 - inset,
         makecol(255, 255, 255));
}

void GameLoop::draw()
{
    clear_to_color(buffer, makecol(0, 0, 0));
    for (int box = 0; box < NUM_BOXES; ++box)
        outline(box, 0);

    wrapprint(displaystring, 4, 4, 19);

    // Labels are drawn as written: the filter never touches them.
    int box = 0;
    for (const Conv &conv : selectedconv) {
        if (box == NUM_BOXES)
            break;
        const Rect r = boxrect(box);
        wrapprint(conv.option, r.x + LABEL_DX, r.y + LABEL_DY, 9);
        ++box;
    }

    // The frame goes last, over any label pixels beneath it.
    if (gamestate == 0 && curselected < NUM_BOXES)
        outline(static_cast<int>(curselected), 1);
}
