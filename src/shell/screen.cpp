// The screen: opened at the desktop's own size, and where the back buffer lands on it.
#include <allegro.h>

#include <algorithm>
#include <atomic>

#include "shell/platform.h"
#include "shell/shell.h"

Placement placement = placeon(DISPLAY_W, DISPLAY_H);

// Set from whatever thread Allegro tells of a switch back to the game; the main thread
// clears the borders at its next pass.
static std::atomic<bool> screenlost(false);

Placement placeon(int screenw, int screenh)
{
    int k = std::min(screenw / BUFFER_W, screenh / BUFFER_H);
    if (k < 1)
        k = 1;
    Placement p;
    p.k = k;
    p.w = BUFFER_W * k;
    p.h = BUFFER_H * k;
    p.x = (screenw - p.w) / 2;
    p.y = (screenh - p.h) / 2;
    return p;
}

// A window must leave room for a title bar and a panel: about a tenth of each side.
int windowscale(int desktopw, int desktoph)
{
    int k = std::min(desktopw * 9 / 10 / BUFFER_W, desktoph * 9 / 10 / BUFFER_H);
    return k < 1 ? 1 : k;
}

static bool trymode(int card, int w, int h)
{
    return set_gfx_mode(card, w, h, 0, 0) == 0;
}

// Full screen at the desktop's own size never switches the monitor's mode. A server that
// refuses it gets a window that leaves room for a title bar and a panel, then a plain
// 640x480 one. Without a known desktop size, full screen at 640x480 is the first try.
static bool openscreen()
{
    int w = 0, h = 0;
    const bool known = get_desktop_resolution(&w, &h) == 0 && w > 0 && h > 0;
    if (trymode(GFX_AUTODETECT_FULLSCREEN, known ? w : DISPLAY_W, known ? h : DISPLAY_H))
        return true;
    const int k = windowscale(w, h);
    if (known && trymode(GFX_AUTODETECT_WINDOWED, BUFFER_W * k, BUFFER_H * k))
        return true;
    return trymode(GFX_AUTODETECT_WINDOWED, DISPLAY_W, DISPLAY_H);
}

static void switchedin()
{
    screenlost = true;
}

void setscreen()
{
    set_window_title("Vellmora");
    if (!openscreen())
        platform_fail("cannot open a 32-bit screen, full screen or windowed");
    placement = placeon(SCREEN_W, SCREEN_H);
    clearborders();
    set_display_switch_callback(SWITCH_IN, switchedin);
}

void clearborders()
{
    const Placement &p = placement;
    const int black = makecol(0, 0, 0);
    const int w = screen->w, h = screen->h;
    if (p.y > 0)
        rectfill(screen, 0, 0, w - 1, p.y - 1, black);
    if (p.y + p.h < h)
        rectfill(screen, 0, p.y + p.h, w - 1, h - 1, black);
    if (p.x > 0)
        rectfill(screen, 0, p.y, p.x - 1, p.y + p.h - 1, black);
    if (p.x + p.w < w)
        rectfill(screen, p.x + p.w, p.y, w - 1, p.y + p.h - 1, black);
}

void present()
{
    if (screenlost.exchange(false))
        clearborders();
    stretch_blit(buffer, screen, 0, 0, BUFFER_W, BUFFER_H, placement.x, placement.y,
                 placement.w, placement.h);
}
