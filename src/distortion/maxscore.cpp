// The baseline distance of the current game.
#include "distortion/distortion.h"

uint32_t maxscore = 0;
