// The 30 Hz tick counter, called on Allegro's timer thread.
#include "shell/shell.h"

void increment_speed_counter()
{
    ++speed_count;
}
