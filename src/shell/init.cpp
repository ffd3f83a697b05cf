// Start-up: graphics, sound, input, timer, screen mode, back buffer and the random seed.
#include <allegro.h>

#include <cstdlib>
#include <ctime>

#include "music/music.h"
#include "shell/platform.h"
#include "shell/shell.h"

void init()
{
    platform_namewindow();
    if (allegro_init() != 0)
        platform_fail("cannot start the graphics library: no display "
                      "(the game needs an X display; is DISPLAY set?)");
    // Allegro's own handlers are in place now; ours replace them.
    platform_catchsignals();
    platform_quietsound();
    init_sound();
    set_color_depth(32);
    install_keyboard();
    install_mouse();
    install_timer();
    installcontrols();
    install_int_ex(increment_speed_counter, BPS_TO_TIMER(TICKS_PER_SECOND));
    setscreen();
    // The pointer can only be hidden once the window exists.
    platform_hidepointer();
    buffer = create_bitmap(BUFFER_W, BUFFER_H);
    if (!buffer)
        platform_fail("cannot create the 160x120 back buffer");
    srand(static_cast<unsigned>(time(nullptr)));
}
