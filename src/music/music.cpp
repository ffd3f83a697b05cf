// Sound driver start-up, module loading and the player.
#include "music/music.h"

#include <allegro.h>

#include <cstdlib>

DUH *music = nullptr;
AL_DUH_PLAYER *dplay = nullptr;

void init_sound()
{
    if (install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr) != 0)
        allegro_message("Error initialising sound system\n%s\n", allegro_error);
    atexit(dumb_exit);
    set_mixer_quality(0);
    dumb_register_stdfiles();
    // A damaged module can crash DUMB or stall it: it is refused like a missing one.
    if (xmfilewellformed("xm/bg.xm"))
        music = dumb_load_xm_quick("xm/bg.xm");
}

void stopmusic()
{
    if (dplay) {
        al_stop_duh(dplay);
        dplay = nullptr;
    }
}

void playmusic(int)
{
    stopmusic();
    dplay = al_start_duh(music, 1, 0, 1.0f, 4096, 11025);
}
