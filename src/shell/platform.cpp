// Linux/X11 specifics, kept in one place so the rest of the game stays portable.
#include "shell/platform.h"

#include <allegro.h>
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

void platform_finddatafrom(const std::string &exedir, const std::string &datadir)
{
    if (access(MODULE_PATH, R_OK) == 0)
        return;
    const std::string candidates[] = {
        exedir,                              // build tree: the module is copied beside the binary
        exedir + "/../share/vellmora",       // relocated install prefix
        datadir,                             // configured install prefix
        exedir + "/../share/games/vellmora", // relocated games layout
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

static void onsignal(int)
{
    signalled = true;
}

void platform_catchsignals()
{
#ifndef _WIN32
    struct sigaction action = {};
    action.sa_handler = onsignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &action, nullptr);
#else
    signal(SIGINT, onsignal);
    signal(SIGTERM, onsignal);
#endif
}

void platform_hidepointer()
{
    // Allegro's X11 window already carries a blank cursor; this keeps it blank.
    show_os_cursor(0);
}

void platform_fail(const char *what)
{
    if (allegro_error[0])
        std::fprintf(stderr, "vellmora: %s: %s\n", what, allegro_error);
    else
        std::fprintf(stderr, "vellmora: %s\n", what);
    std::exit(1);
}
