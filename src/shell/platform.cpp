// Linux/X11 and Windows specifics, kept in one place so the rest of the game stays portable.
#include "shell/platform.h"

#include <allegro.h>
#ifdef _WIN32
#include <winalleg.h>
#endif
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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

void platform_finddata()
{
    if (access(MODULE_PATH, R_OK) == 0)
        return;
    std::string exedir = executabledir();
    const std::string candidates[] = {
#ifdef _WIN32
        exedir,                             // the unpacked zip: the module is beside the .exe
#else
        exedir,                             // build tree: the module is copied beside the binary
        exedir + "/../share/vellmora",      // relocated install prefix
        VELLMORA_DATADIR,                   // configured install prefix
#endif
    };
    for (const std::string &dir : candidates) {
        if (!dir.empty() && holdsmodule(dir) && chdir(dir.c_str()) == 0)
            return;
    }
}

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
