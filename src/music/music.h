// Background music: the one module, loaded at start-up and streamed through Allegro.
#pragma once

#include <aldumb.h>

#include <cstddef>

extern DUH *music;           // the loaded module; null when it could not be loaded
extern AL_DUH_PLAYER *dplay; // the running player; null while none runs

void init_sound();
DUH *loadmusic(const char *path); // null when the file is missing, unreadable or malformed
void playmusic(int);
void stopmusic();

// True when the bytes hold an Extended Module that DUMB can load and play safely:
// every size and count fits the format and the file, so nothing is read past its end.
bool xmwellformed(const unsigned char *data, size_t size);
bool xmfilewellformed(const char *path); // the same for a file; false when unreadable
