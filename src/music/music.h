// Background music: the one module, loaded at start-up and streamed through Allegro.
#pragma once

#include <aldumb.h>

extern DUH *music;           // the loaded module; null when it could not be loaded
extern AL_DUH_PLAYER *dplay; // the running player; null while none runs

void init_sound();
DUH *loadmusic(const char *path); // null when the file is missing or unreadable
void playmusic(int);
void stopmusic();
