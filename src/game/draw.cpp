// The game screen: the text panel and the option grid.
#include <allegro.h>

#include "game/game.h"
#include "shell/shell.h"

void GameLoop::draw()
{
    clear_to_color(buffer, makecol(0, 0, 0));
    wrapprint(displaystring, 4, 4, 19);
}
