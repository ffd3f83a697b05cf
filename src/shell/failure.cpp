// The sentence a failed start-up ends with: what failed, and Allegro's reason when it gave one.
#include "shell/platform.h"

#include <allegro.h>

#include <cstdio>

std::string failuretext(const char *what)
{
    char text[512];
    std::snprintf(text, sizeof text, allegro_error[0] ? "%s: %s" : "%s", what, allegro_error);
    return text;
}
