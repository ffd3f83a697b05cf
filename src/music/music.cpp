// Sound driver start-up, module loading and the player.
#include "music/music.h"

#include <allegro.h>

#include <cstdlib>

DUH *music = nullptr;
AL_DUH_PLAYER *dplay = nullptr;

// Without a sound driver the game still runs, only silently: say so once and go on.
void init_sound()
{
    if (install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr) != 0)
        allegro_message("Error initialising sound system\n%s\n", allegro_error);
    atexit(dumb_exit);
    set_mixer_quality(0);
    dumb_register_stdfiles();
    music = loadmusic("xm/bg.xm");
}

// The one place a module file is read, so that any check of the file goes here too.
DUH *loadmusic(const char *path)
{
    return dumb_load_xm_quick(path);
}

void stopmusic()
{
    if (dplay) {
        al_stop_duh(dplay);
        dplay = nullptr;
    }
}

// Always from the top of the module: mono, 4096-frame stream buffers, 11025 Hz.
void playmusic(int)
{
    stopmusic();
    dplay = al_start_duh(music, 1, 0, 1.0f, 4096, 11025);
}
