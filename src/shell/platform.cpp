// Linux/X11 and Windows specifics, kept in one place so the rest of the game stays portable.
#include "shell/platform.h"

#include <allegro.h>
#ifdef _WIN32
#include <winalleg.h>
#endif
#ifdef ALLEGRO_WITH_XWINDOWS
#include <xalleg.h>
#endif
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "shell/shell.h"

#ifndef VELLMORA_DATADIR
#define VELLMORA_DATADIR "/usr/share/vellmora"
#endif

static const char MODULE_PATH[] = "xm/bg.xm";

static bool holdsmodule(const std::string &dir)
{
    return access((dir + "/" + MODULE_PATH).c_str(), R_OK) == 0;
}

#ifdef _WIN32
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
#else
static std::string executabledir()
{
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return std::string();
    std::string exe(path, static_cast<size_t>(n));
    size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}
#endif

void platform_finddatafrom(const std::string &exedir, const std::string &datadir)
{
#ifdef _WIN32
    (void)datadir; // an unpacked zip has no configured prefix
#endif
    if (access(MODULE_PATH, R_OK) == 0)
        return;
    const std::string candidates[] = {
#ifdef _WIN32
        exedir,                              // the unpacked zip: the module is beside the .exe
#else
        exedir,                              // build tree: the module is copied beside the binary
        exedir + "/../share/vellmora",       // relocated install prefix
        datadir,                             // configured install prefix
        exedir + "/../share/games/vellmora", // relocated games layout
#endif
    };
    for (const std::string &dir : candidates) {
        if (!dir.empty() && holdsmodule(dir) && chdir(dir.c_str()) == 0)
            return;
    }
}

void platform_finddata()
{
    platform_finddatafrom(executabledir(), VELLMORA_DATADIR);
}

void platform_namewindow()
{
#ifdef ALLEGRO_WITH_XWINDOWS
    // Instance and class of WM_CLASS; the class is the launcher's StartupWMClass.
    xwin_set_window_name("vellmora", "Vellmora");
#endif
}

#ifdef _WIN32
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
#else
static void onsignal(int)
{
    signalled = true;
}

void platform_catchsignals()
{
    struct sigaction action = {};
    action.sa_handler = onsignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &action, nullptr);
}
#endif

void platform_hidepointer()
{
    // Allegro's X11 window already carries a blank cursor; this keeps it blank.
    show_os_cursor(0);
}

void platform_fail(const char *what)
{
    char text[512];
    std::snprintf(text, sizeof text, allegro_error[0] ? "%s: %s" : "%s", what, allegro_error);
#ifdef _WIN32
    // A windowed program has no standard error to read: say it in a message box too.
    allegro_message("Vellmora cannot start: %s\n", text);
#endif
    std::fprintf(stderr, "vellmora: %s\n", text);
    std::exit(1);
}
