// Start-up: graphics, sound, input, timer, screen mode, back buffer and the random seed.
#include <allegro.h>

#include <cstdlib>
#include <ctime>

#include "music/music.h"
#include "shell/platform.h"
#include "shell/shell.h"

// Full screen is what the game wants; a window is the fallback for servers that refuse it.
static void setmode()
{
    if (set_gfx_mode(GFX_AUTODETECT_FULLSCREEN, DISPLAY_W, DISPLAY_H, 0, 0) == 0)
        return;
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, DISPLAY_W, DISPLAY_H, 0, 0) == 0)
        return;
    platform_fail("cannot set a 640x480 32-bit screen mode, full screen or windowed");
}

void init()
{
    if (allegro_init() != 0)
        platform_fail("cannot start the graphics library: no display "
                      "(the game needs an X display; is DISPLAY set?)");
    init_sound();
    set_color_depth(32);
    install_keyboard();
    install_mouse();
    install_timer();
    install_int_ex(increment_speed_counter, BPS_TO_TIMER(TICKS_PER_SECOND));
    setmode();
    // The pointer can only be hidden once the window exists.
    platform_hidepointer();
    buffer = create_bitmap(BUFFER_W, BUFFER_H);
    if (!buffer)
        platform_fail("cannot create the 160x120 back buffer");
    srand(static_cast<unsigned>(time(nullptr)));
}
