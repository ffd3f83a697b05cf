// Word-wrapped white-on-black text in the back buffer.
#include <allegro.h>

#include "game/game.h"
#include "shell/shell.h"

void wrapprint(const std::string &text, int x, int y, int n)
{
    if (n <= 0 || text.empty())
        return;
    textout_ex(buffer, font, text.c_str(), x, y, makecol(255, 255, 255), makecol(0, 0, 0));
}
