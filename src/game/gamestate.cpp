// The game's state and its set-up at the start of every game.
#include "game/game.h"

#include <cstdlib>

#include "content/content.h"
#include "distortion/distortion.h"
#include "shell/shell.h"

std::string displaystring;
int32_t gamestate = 0;
uint32_t curselected = 0;
uint32_t turn = 0;
bool pressed[NUM_GAMEKEYS] = {false, false, false, false, false};
bool leave = false;

const char *const openinglines[NUM_OPENINGLINES] = {
    "i feel so, so pensive today...",
    "i can't remember the last time i felt this way.",
    "there's something about this place that always brings these emotions back to me.",
    "i feel like i'm loosing control...",
    "why can't i just pull myself together?",
    "i'm feeling so...so happy today",
};

void GameLoop::enter()
{
    leave = false;
    insertbasicdata();
    selectconversations();
    calcmaxscore();
    // The Space that chose "Begin" is still down: every key counts as held.
    escpressed = true;
    for (bool &held : pressed)
        held = true;
    holdcontrols();
    curselected = 0;
    gamestate = 0;
    displaystring = openinglines[rand() % NUM_OPENINGLINES];
    turn = 0;
}

bool GameLoop::finished()
{
    return leave;
}
