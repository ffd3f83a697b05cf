// The intro splash, shown once after start-up.
#include "shell/shell.h"

int titletimer = 0;
bool finishedtitle = false;
