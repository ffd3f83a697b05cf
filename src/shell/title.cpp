// The title menu: "Begin" or "Leave".
#include "shell/shell.h"

bool TitleLoop::begin = false;
int TitleLoop::selected = 0;
bool TitleLoop::upheld = false;
bool TitleLoop::downheld = false;
bool TitleLoop::spaceheld = false;
