// The main sequence: the intro once, then the music, then title and games until quit.
#include "game/game.h"
#include "music/music.h"
#include "shell/loop.h"
#include "shell/shell.h"

int mainsequence()
{
    // Until the front screens exist a run goes straight to games.
    playmusic(0);
    while (!quit)
        loop<GameLoop>();
    return 0;
}
