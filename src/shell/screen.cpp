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

// A server that refuses full screen gets a window that leaves room for a title bar and a
// panel, then a plain 640x480 one. Without a known desktop size, full screen at 640x480 is
// the first try.
static bool openscreen(bool full)
{
    Monitor m = {};
    const bool known = platform_monitor(m);
    if (!known)
        m = {0, 0, DISPLAY_W, DISPLAY_H};
    if (full && platform_openfullscreen(m))
        return true;
    const int k = windowscale(m.w, m.h);
    if (known && platform_openwindow(BUFFER_W * k, BUFFER_H * k))
        return true;
    return platform_openwindow(DISPLAY_W, DISPLAY_H);
}

static void switchedin()
{
    screenlost = true;
}

static bool full = true;       // the screen was opened full screen
static bool toggleheld = false; // Alt+Enter or F11 must be released before it acts again

// Opens the screen as `full` says, or ends the game, and puts the picture in its place.
static void placescreen()
{
    if (!openscreen(full))
        platform_fail("cannot open a 32-bit screen, full screen or windowed");
    placement = placeon(SCREEN_W, SCREEN_H);
    clearborders();
    // Keep drawing and playing while another window has the focus.
    set_display_switch_mode(SWITCH_BACKGROUND);
    set_display_switch_callback(SWITCH_IN, switchedin);
}

void setscreen()
{
    set_window_title("Vellmora");
    full = !startwindowed;
    placescreen();
}

// The back buffer is a memory bitmap: it outlives the screen, so the next frame shows the
// same picture in its new place.
void togglescreen()
{
    full = !full;
    placescreen();
}

bool togglepressed()
{
    const bool down = key[KEY_F11] || (key[KEY_ENTER] && (key[KEY_ALT] || key[KEY_ALTGR]));
    const bool pressed = down && !toggleheld;
    toggleheld = down;
    return pressed;
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
    // A page's screen is the buffer's own size, and a plain copy is far cheaper than a
    // stretch that changes nothing.
    if (placement.k == 1)
        blit(buffer, screen, 0, 0, placement.x, placement.y, BUFFER_W, BUFFER_H);
    else
        stretch_blit(buffer, screen, 0, 0, BUFFER_W, BUFFER_H, placement.x, placement.y,
                     placement.w, placement.h);
}
