// Linux and X11 specifics, so the rest of the game stays portable.
#include "shell/platform.h"

// Linux's input headers have KEY_ names of their own; this file needs none of Allegro's.
#define ALLEGRO_NO_KEY_DEFINES
#include <allegro.h>
#include <xalleg.h>
#include <X11/Xatom.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/joystick.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
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

// RandR 1.5 knows which monitor the desktop calls primary.
static bool randrprimary(Display *d, Monitor &m)
{
    int event, error, major = 0, minor = 0;
    if (!XRRQueryExtension(d, &event, &error) || !XRRQueryVersion(d, &major, &minor) ||
        major * 100 + minor < 105)
        return false;
    int n = 0;
    XRRMonitorInfo *monitors = XRRGetMonitors(d, DefaultRootWindow(d), True, &n);
    if (!monitors)
        return false;
    int pick = n > 0 ? 0 : -1;
    for (int i = 0; i < n; ++i)
        if (monitors[i].primary)
            pick = i;
    if (pick >= 0)
        m = {monitors[pick].x, monitors[pick].y, monitors[pick].width, monitors[pick].height};
    XRRFreeMonitors(monitors);
    return pick >= 0;
}

// Xinerama has no primary monitor: its first screen is where desktops put their panel.
static bool xineramafirst(Display *d, Monitor &m)
{
    int event, error, n = 0;
    if (!XineramaQueryExtension(d, &event, &error) || !XineramaIsActive(d))
        return false;
    XineramaScreenInfo *screens = XineramaQueryScreens(d, &n);
    if (!screens)
        return false;
    if (n > 0)
        m = {screens[0].x_org, screens[0].y_org, screens[0].width, screens[0].height};
    XFree(screens);
    return n > 0;
}

bool platform_monitor(Monitor &m)
{
    Display *d = _xwin.display;
    if (!d) {
        m.x = m.y = 0;
        return get_desktop_resolution(&m.w, &m.h) == 0 && m.w > 0 && m.h > 0;
    }
    XLOCK();
    if (!randrprimary(d, m) && !xineramafirst(d, m))
        m = {0, 0, DisplayWidth(d, _xwin.screen), DisplayHeight(d, _xwin.screen)};
    XUNLOCK();
    return m.w > 0 && m.h > 0;
}

static Atom atom(Display *d, const char *name)
{
    return XInternAtom(d, name, False);
}

// Lets docks and task managers tie the window to this process.
static void setpid(Display *d, Window w)
{
    const long pid = getpid();
    XChangeProperty(d, w, atom(d, "_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&pid), 1);
}

// Asks the window manager, the EWMH way, to show the window over its whole monitor or to
// give it back its frame. Without a window manager nobody answers, and nothing changes.
static void askfullscreen(Display *d, Window w, bool on)
{
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = atom(d, "_NET_WM_STATE");
    e.xclient.format = 32;
    e.xclient.data.l[0] = on ? 1 : 0; // _NET_WM_STATE_ADD or _NET_WM_STATE_REMOVE
    e.xclient.data.l[1] = static_cast<long>(atom(d, "_NET_WM_STATE_FULLSCREEN"));
    e.xclient.data.l[3] = 1; // the request comes from an application
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &e);
}

// Allegro makes its window fixed-size, its minimum size equal to its maximum. GNOME's mutter
// refuses full screen to a fixed-size window unless it is as large as the whole X screen,
// which with a second monitor it is not. Without the maximum the window may grow, and every
// window manager shows it full screen; the minimum keeps it from being made smaller than the
// monitor, and the picture from being cut.
static void allowgrowing(Display *d, Window w)
{
    XSizeHints *hints = XAllocSizeHints();
    long given = 0;
    if (hints && XGetWMNormalHints(d, w, hints, &given)) {
        hints->flags &= ~PMaxSize;
        XSetWMNormalHints(d, w, hints);
    }
    if (hints)
        XFree(hints);
}

static bool fullscreen = false; // the window was last asked to be full screen
static Monitor shownon = {};    // the monitor it was last full screen on

// Ties a newly opened window to this process. Full screen, the window is put over its monitor
// and the window manager asked to show it so; a window that leaves full screen is centred on
// the monitor the game was on, where a window manager that places windows by the pointer
// would not put it.
static void ownwindow(bool full, int w, int h)
{
    XLOCK();
    Display *d = _xwin.display;
    setpid(d, _xwin.wm_window);
    if (full) {
        XMoveWindow(d, _xwin.wm_window, shownon.x, shownon.y);
        allowgrowing(d, _xwin.wm_window);
        askfullscreen(d, _xwin.wm_window, true);
    } else if (fullscreen) {
        XMoveWindow(d, _xwin.wm_window, shownon.x + (shownon.w - w) / 2,
                    shownon.y + (shownon.h - h) / 2);
    }
    XFlush(d);
    XUNLOCK();
}

// Full screen is an ordinary window at the monitor's size that the window manager is asked to
// show full screen: no mode switch, no grab, no unmanaged window, so the desktop stays usable.
// Without a window manager the window is simply put over the monitor.
bool platform_openfullscreen(const Monitor &m)
{
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, m.w, m.h, 0, 0) != 0)
        return false;
    shownon = m;
    ownwindow(true, m.w, m.h);
    fullscreen = true;
    return true;
}

bool platform_openwindow(int w, int h)
{
    if (fullscreen) {
        XLOCK();
        askfullscreen(_xwin.display, _xwin.wm_window, false);
        XUNLOCK();
    }
    const bool opened = set_gfx_mode(GFX_AUTODETECT_WINDOWED, w, h, 0, 0) == 0;
    if (opened)
        ownwindow(false, w, h);
    fullscreen = false;
    return opened;
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

// Allegro numbers a pad's axes in pairs, each pair one stick, except a last odd axis.
static int stickofaxis(int axis, int axes)
{
    int stick = 0;
    for (int a = 0; a < axes && stick < MAX_JOYSTICK_STICKS; ++stick) {
        const int width = (a == axes - 1) ? 1 : 2;
        if (axis < a + width)
            return (width == 2 && axis == a) ? stick : -1;
        a += width;
    }
    return -1;
}

// The kernel names each of a pad's buttons and axes: the layout is read, not guessed.
// Allegro opens /dev/input/jsN for its pad N; a pad that cannot be asked is taken for an
// XInput pad, the commonest kind.
PadLayout platform_padlayout(int n)
{
    PadLayout layout = XINPUT_PAD;
    const std::string path = "/dev/input/js" + std::to_string(n);
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return layout;
    __u8 axes = 0, buttons = 0;
    __u16 buttonmap[KEY_MAX - BTN_MISC + 1] = {};
    __u8 axismap[ABS_CNT] = {};
    const bool known = ioctl(fd, JSIOCGAXES, &axes) >= 0 &&
                       ioctl(fd, JSIOCGBUTTONS, &buttons) >= 0 &&
                       ioctl(fd, JSIOCGBTNMAP, buttonmap) >= 0 &&
                       ioctl(fd, JSIOCGAXMAP, axismap) >= 0;
    close(fd);
    if (!known)
        return layout;
    layout = {-1, -1, -1, {-1, -1, -1, -1}, -1};
    for (int b = 0; b < buttons && b < MAX_JOYSTICK_BUTTONS; ++b) {
        switch (buttonmap[b]) {
        case BTN_SOUTH: layout.south = b; break;
        case BTN_START: layout.start = b; break;
        case BTN_SELECT: layout.back = b; break;
        case BTN_DPAD_UP: layout.dpad[0] = b; break;
        case BTN_DPAD_DOWN: layout.dpad[1] = b; break;
        case BTN_DPAD_LEFT: layout.dpad[2] = b; break;
        case BTN_DPAD_RIGHT: layout.dpad[3] = b; break;
        }
    }
    // A joystick rather than a pad names no face buttons: its first button, the trigger,
    // is the one to press.
    if (layout.south < 0 && buttons > 0)
        layout.south = 0;
    const int capped = std::min<int>(axes, MAX_JOYSTICK_STICKS * MAX_JOYSTICK_AXIS);
    for (int a = 0; a + 1 < capped; ++a)
        if (axismap[a] == ABS_HAT0X && axismap[a + 1] == ABS_HAT0Y && layout.dpad[0] < 0)
            layout.dpadstick = stickofaxis(a, capped);
    return layout;
}

bool platform_taps()
{
    return false;
}

// The game polls the mouse once a tick, so Allegro keeps only the buttons' state at that
// moment; a click between two ticks is seen here, as X reports it.
static void (*allegromouse)(int, int, int, int, int) = nullptr;
static std::atomic<int> xbuttons(0);

static void watchedmouse(int x, int y, int z, int w, int buttons)
{
    const int before = xbuttons.exchange(buttons);
    if ((buttons & 1) && !(before & 1))
        pressinput(INPUT_CLICK);
    allegromouse(x, y, z, w, buttons);
}

void platform_watchmouse()
{
    if (!_xwin_mouse_interrupt || _xwin_mouse_interrupt == watchedmouse)
        return;
    allegromouse = _xwin_mouse_interrupt;
    _xwin_mouse_interrupt = watchedmouse;
}

void platform_say(const std::string &text, bool error)
{
    std::fputs(text.c_str(), error ? stderr : stdout);
    std::fflush(error ? stderr : stdout);
}

void platform_fail(const char *what)
{
    std::fprintf(stderr, "vellmora: %s\n", failuretext(what).c_str());
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
