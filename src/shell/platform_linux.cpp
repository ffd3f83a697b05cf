// Linux and X11 specifics, so the rest of the game stays portable.
#include "shell/platform.h"

#include <allegro.h>
#include <xalleg.h>
#include <dlfcn.h>
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
    enterdatadir({
        exedir,                              // build tree: the module is copied beside the binary
        exedir + "/../share/vellmora",       // relocated install prefix
        datadir,                             // configured install prefix
        exedir + "/../share/games/vellmora", // relocated games layout
    });
}

void platform_finddata()
{
    platform_finddatafrom(executabledir(), VELLMORA_DATADIR);
}

void platform_namewindow()
{
    // Instance and class of WM_CLASS; the class is the launcher's StartupWMClass.
    xwin_set_window_name("vellmora", "Vellmora");
}

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

static void ignorealsa(const char *, int, const char *, int, const char *, ...)
{
}

// Allegro's ALSA driver is a plugin that loads alsa-lib itself; loading it first, for good,
// lets its error handler be replaced without linking the game to ALSA.
void platform_quietsound()
{
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    void *alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!alsa)
        return;
    auto sethandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (sethandler)
        sethandler(ignorealsa);
}

void platform_hidepointer()
{
    // Allegro's X11 window already carries a blank cursor; this keeps it blank.
    show_os_cursor(0);
}

void platform_say(const std::string &text, bool error)
{
    std::fputs(text.c_str(), error ? stderr : stdout);
    std::fflush(error ? stderr : stdout);
}

void platform_fail(const char *what)
{
    std::fprintf(stderr, "vellmora: %s\n", failuretext(what).c_str());
    std::exit(1);
}
