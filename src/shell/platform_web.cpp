// Browser specifics: the page around the canvas stands in for the desktop.
#include "shell/platform.h"

#include <allegro.h>
#include <allegro/platform/alweb.h>
#include <emscripten.h>

#include <string>

#include "shell/shell.h"

// The page shows the picture 160x120 and scales it itself, to whole device pixels; the
// screen Allegro draws into is the back buffer's size.
const int PAGE_W = BUFFER_W;
const int PAGE_H = BUFFER_H;

// What the page, its tests and the benchmark can see of the game going on, and when its
// first frame came; the page's own look at each frame comes with it.
EM_JS(void, web_counted, (int ticks), {
    var v = window.vellmora;
    if (v) {
        if (!v.frames)
            v.firstFrame = performance.now();
        v.state = 'running';
        v.ticks += ticks;
        v.frames++;
        if (v.onframe)
            v.onframe();
    }
});

EM_JS(void, web_said, (const char *text, int error), {
    (error ? console.error : console.log)(UTF8ToString(text));
});

EM_JS(void, web_told, (const char *text), {
    if (window.vellmora && window.vellmora.tell)
        window.vellmora.tell(UTF8ToString(text));
});

EM_JS(void, web_failed, (const char *text), {
    if (window.vellmora && window.vellmora.fail)
        window.vellmora.fail(UTF8ToString(text));
});

void platform_finddata()
{
    // The page writes the music into the file system's root, the working directory.
}

void platform_namewindow()
{
    // The page's title names the game.
}

void platform_catchsignals()
{
    // A page gets no signals: closing its tab ends everything.
}

bool platform_monitor(Monitor &m)
{
    m = {0, 0, PAGE_W, PAGE_H};
    return true;
}

// Full screen and a window are one screen here: the page goes full screen on its own,
// through the browser, so a switch asked for by the game keeps the screen it has.
static bool openpage()
{
    if (screen && SCREEN_W == PAGE_W && SCREEN_H == PAGE_H)
        return true;
    return set_gfx_mode(GFX_WEB, PAGE_W, PAGE_H, 0, 0) == 0;
}

bool platform_openfullscreen(const Monitor &)
{
    return openpage();
}

bool platform_openwindow(int, int)
{
    return openpage();
}

void platform_quietsound()
{
    // Web Audio says nothing to any console.
}

// The page's joystick driver reports every pad in the Gamepad API's standard mapping.
PadLayout platform_padlayout(int)
{
    return STANDARD_PAD;
}

bool platform_taps()
{
    return true;
}

// The page's mouse driver shows each press, however short, down to one poll of the mouse,
// with the pointer where it went down: the callback sees it there.
void platform_watchmouse()
{
    mouse_callback = mouseevent;
}

void platform_hidepointer()
{
    // The page's style hides the pointer over the game.
}

void platform_say(const std::string &text, bool error)
{
    web_said(text.c_str(), error);
}

void platform_tell(const std::string &text)
{
    web_told(text.c_str());
}

void platform_fail(const char *what)
{
    web_failed(failuretext(what).c_str());
    platform_exit(1);
}

// Exit throws to unwind whatever called it, which the runtime expects of main and of a
// frame of its main loop, so no promise of the page is ever rejected. Forced: the main loop
// holds the runtime alive, which would keep exit from running the exit handlers that let go
// of the sound.
void platform_exit(int status)
{
    emscripten_force_exit(status);
}

void platform_yield()
{
    web_show_screen();
}

static bool (*stepping)(); // the pass the page runs once a frame

// The time, keys, pads and sound that came since the last frame are handed to Allegro,
// then the game runs its pass.
static void frame()
{
    const int before = speed_count;
    web_pump_timer();
    web_pump_keyboard();
    web_pump_joystick();
    web_pump_sound();
    web_counted(speed_count - before);
    if (!stepping())
        platform_exit(0);
}

// The first pass runs at once, as on a desktop; the browser then calls one a frame.
// Setting the loop unwinds main, and the runtime stays alive for the frames.
void platform_run(bool (*step)())
{
    stepping = step;
    if (!step())
        platform_exit(0);
    emscripten_set_main_loop(frame, 0, 1);
}
