// The game's logic tick: fresh key presses, the highlight and the three phases of a turn.
#include <allegro.h>

#include <iterator>

#include "content/content.h"
#include "distortion/distortion.h"
#include "game/game.h"
#include "shell/shell.h"

// Down now and up when the previous tick ended; pressed[] follows the controls' order.
static bool fresh(int control)
{
    return controldown(control) && !pressed[control];
}

static const Conv &highlighted()
{
    return *std::next(selectedconv.begin(), curselected);
}

// Up and Down swap rows, Left and Right swap columns; only the first fresh arrow counts,
// and a box without an option cannot be highlighted.
static void navigate()
{
    uint32_t to;
    if (fresh(CONTROL_UP) || fresh(CONTROL_DOWN))
        to = (curselected + 2) % 4;
    else if (fresh(CONTROL_LEFT) || fresh(CONTROL_RIGHT))
        to = (curselected == 1 || curselected == 3) ? curselected - 1 : curselected + 1;
    else
        return;
    if (to < selectedconv.size())
        curselected = to;
}

// Ends the turn: the choice branches, the highlight stays on an existing option.
// With nothing left the count minus one wraps far past the last box, so none is framed.
static void applychoice()
{
    chooseconv(curselected);
    const uint32_t count = static_cast<uint32_t>(selectedconv.size());
    if (curselected >= count)
        curselected = count - 1;
    gamestate = 0;
    displaystring.clear();
    ++turn;
    if (count == 0)
        leave = true;
}

// One phase forward per press.
static void advance()
{
    switch (gamestate) {
    case 0:
        if (!selectedweather.empty()) {
            gamestate = 1;
            displaystring = traumafilter(selectedweather.front(), turn);
            selectedweather.pop_front();
        } else {
            // Nothing left to say: straight to the response.
            displaystring = traumafilter(highlighted().response, turn);
            gamestate = 2;
        }
        break;
    case 1:
        displaystring = traumafilter(highlighted().response, turn);
        gamestate = 2;
        break;
    case 2:
        applychoice();
        break;
    }
}

// A tap after the keys: on a box holding an option while choosing, it highlights and
// chooses it; anywhere on the picture otherwise, it reads on. A tick moves one phase at
// most, so a tap that comes with a step of the keys waits for the next tick.
static void tapped(const Tap &tap, bool stepped)
{
    if (gamestate == 0) {
        const int box = boxat(tap.x, tap.y);
        if (box < 0 || static_cast<size_t>(box) >= selectedconv.size())
            return;
        if (stepped) {
            keeptap(tap);
            return;
        }
        curselected = static_cast<uint32_t>(box);
    } else if (!PICTURE.holds(tap.x, tap.y)) {
        return;
    } else if (stepped) {
        keeptap(tap);
        return;
    }
    if (!selectedconv.empty())
        advance();
}

void GameLoop::logic()
{
    readcontrols();
    if (gamestate == 0)
        navigate();
    // The ticks left in the batch after the last choice still run. Space is ignored
    // while no option is open, so none of them can read an option from the empty list,
    // and the empty panel of the ended game stays up for its last frame.
    const bool stepped = fresh(CONTROL_SPACE) && !selectedconv.empty();
    if (stepped)
        advance();
    if (controldown(CONTROL_ESCAPE) && !escpressed)
        leave = true;

    escpressed = controldown(CONTROL_ESCAPE);
    for (int k = 0; k < NUM_GAMEKEYS; ++k)
        pressed[k] = controldown(k);

    Tap tap;
    if (taketap(tap))
        tapped(tap, stepped);
}
