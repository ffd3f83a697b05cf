// The main sequence: the intro once, then the music, then title and games until leaving.
#include "game/game.h"
#include "music/music.h"
#include "shell/loop.h"
#include "shell/platform.h"
#include "shell/shell.h"

// Where the sequence stands. It moves on one pass at a time, so that a page, whose frames
// are the browser's to call, runs the same sequence as a desktop's loop.
enum Stage { INTRO, TITLE, GAME };
static Stage stage = INTRO;
static bool entered = false; // the stage's screen has been entered

// One pass of the stage's screen, entered first; false once it is over.
template <class Screen>
static bool stagepass()
{
    if (!entered) {
        enterscreen<Screen>();
        entered = true;
    }
    if (screenpass<Screen>())
        return true;
    entered = false;
    return false;
}

// One pass of the sequence; false once it is over. A screen that ends hands over to the
// next at once, whose first pass follows in the same call.
static bool mainstep()
{
    for (;;) {
        switch (stage) {
        case INTRO:
            if (stagepass<IntroLoop>())
                return true;
            // The intro is silent; the music starts with the first title and never restarts.
            playmusic(0);
            if (leaving())
                return false;
            stage = TITLE;
            break;
        case TITLE:
            if (stagepass<TitleLoop>())
                return true;
            stage = GAME;
            break;
        case GAME:
            if (stagepass<GameLoop>())
                return true;
            if (leaving())
                return false;
            stage = TITLE;
            break;
        }
    }
}

int mainsequence()
{
    stage = INTRO;
    entered = false;
    platform_run(mainstep);
    return 0;
}
