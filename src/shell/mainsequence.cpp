// The main sequence: the intro once, then the music, then title and games until leaving.
#include "game/game.h"
#include "music/music.h"
#include "shell/loop.h"
#include "shell/shell.h"

int mainsequence()
{
    // The intro is silent; the music starts with the first title and never restarts.
    loop<IntroLoop>();
    playmusic(0);
    if (leaving())
        return 0;
    do {
        loop<TitleLoop>();
        loop<GameLoop>();
    } while (!leaving());
    return 0;
}
