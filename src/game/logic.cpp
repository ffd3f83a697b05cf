// The game's logic tick.
#include <allegro.h>

#include "game/game.h"
#include "shell/shell.h"

void GameLoop::logic()
{
    if (key[KEY_ESC] && !escpressed)
        leave = true;
    escpressed = key[KEY_ESC] != 0;
}
