// The shell's state, shared by every screen.
#include "shell/shell.h"

bool quit = false;
std::atomic<int> speed_count(0);
bool escpressed = false;
BITMAP *buffer = nullptr;
std::atomic<bool> signalled(false);
bool calm = false;
bool startwindowed = false;
