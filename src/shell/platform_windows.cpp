// Windows specifics, so the rest of the game stays portable.
#include "shell/platform.h"

#include <allegro.h>
#include <winalleg.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/shell.h"

static std::string executabledir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return std::string();
    std::string exe(path, n);
    size_t slash = exe.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

void platform_finddatafrom(const std::string &exedir, const std::string &)
{
    // An unpacked zip has no configured prefix: the module is beside the .exe.
    enterdatadir({exedir});
}

void platform_finddata()
{
    platform_finddatafrom(executabledir(), std::string());
}

void platform_namewindow()
{
    // The window's title, set with the screen, is all Windows shows.
}

// Windows says it with console events instead of signals: Ctrl+C and Ctrl+Break, the
// console closing, the user logging off, the system shutting down. The game is a windowed
// program without a console of its own, so these come only when one is attached to it.
static BOOL WINAPI onconsoleevent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        signalled = true;
        return TRUE;
    default:
        return FALSE;
    }
}

void platform_catchsignals()
{
    SetConsoleCtrlHandler(onconsoleevent, TRUE);
}

bool platform_monitor(Monitor &m)
{
    m.x = m.y = 0;
    return get_desktop_resolution(&m.w, &m.h) == 0 && m.w > 0 && m.h > 0;
}

// DirectDraw's full screen at the desktop's own size never switches the monitor's mode.
bool platform_openfullscreen(const Monitor &m)
{
    return set_gfx_mode(GFX_AUTODETECT_FULLSCREEN, m.w, m.h, 0, 0) == 0;
}

bool platform_openwindow(int w, int h)
{
    return set_gfx_mode(GFX_AUTODETECT_WINDOWED, w, h, 0, 0) == 0;
}

void platform_quietsound()
{
    // DirectSound says nothing on standard error.
}

// Allegro's DirectInput driver numbers an XInput pad's buttons A, B, X, Y, LB, RB, Back,
// Start and gives its D-pad as a hat; other pads are read the same way.
PadLayout platform_padlayout(int)
{
    return XINPUT_PAD;
}

bool platform_taps()
{
    return false;
}

// Allegro's DirectInput mouse leaves no way in between its thread and the tick's poll: a
// click is seen when it is down at a tick, which a click held for the splash always is.
void platform_watchmouse()
{
}

void platform_hidepointer()
{
    show_os_cursor(0);
}

// A windowed program has standard streams only when they were redirected, or once it
// attaches to the console of the shell that started it.
static FILE *consolestream(bool error)
{
    const DWORD which = error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    HANDLE h = GetStdHandle(which);
    if (h != nullptr && h != INVALID_HANDLE_VALUE)
        return error ? stderr : stdout;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return nullptr;
    return std::freopen("CONOUT$", "w", error ? stderr : stdout);
}

void platform_say(const std::string &text, bool error)
{
    FILE *out = consolestream(error);
    if (out) {
        std::fputs(text.c_str(), out);
        std::fflush(out);
        return;
    }
    MessageBoxA(nullptr, text.c_str(), "Vellmora", error ? MB_ICONERROR : MB_ICONINFORMATION);
}

void platform_fail(const char *what)
{
    const std::string text = failuretext(what);
    // A windowed program has no standard error to read: say it in a message box too.
    allegro_message("Vellmora cannot start: %s\n", text.c_str());
    std::fprintf(stderr, "vellmora: %s\n", text.c_str());
    platform_exit(1);
}

void platform_exit(int status)
{
    std::exit(status);
}

void platform_tell(const std::string &)
{
    // Nothing reads it here.
}

void platform_yield()
{
    // The loop runs flat out: the next pass is the next frame.
}

void platform_run(bool (*step)())
{
    while (step()) {
    }
}
