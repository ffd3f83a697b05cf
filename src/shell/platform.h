// Platform specifics: the data directory, the window's name, signals, the hidden pointer
// and fatal start-up failures. Each platform has a file of its own: platform_linux.cpp,
// platform_windows.cpp, platform_web.cpp.
#pragma once

#include <string>
#include <vector>

#include "shell/shell.h"

const char MODULE_PATH[] = "xm/bg.xm"; // the music, relative to the data directory

// Makes the directory that holds xm/bg.xm the working directory when the current one
// does not; never fails (without the module the game is merely silent).
void platform_finddata();
// The same search from a given executable's directory and configured data directory.
void platform_finddatafrom(const std::string &exedir, const std::string &datadir);
// Stays where it is when the working directory holds the module, else enters the first
// candidate that does; stays put when none does.
void enterdatadir(const std::vector<std::string> &candidates);

// Names the window for docks and task bars, so they match it to the game's launcher.
// Called before allegro_init: Allegro names its top-level window as it creates it.
void platform_namewindow();

// SIGINT, SIGTERM and SIGHUP (on Windows, the console's events) set `signalled` and nothing
// else, so the game ends as "Leave" ends it. Called after allegro_init, so that these
// replace Allegro's own handlers.
void platform_catchsignals();

// The part of the desktop that full screen covers, in desktop coordinates.
struct Monitor {
    int x, y; // top left corner
    int w, h; // size in pixels
};

// The primary monitor, or the whole desktop where monitors are unknown; false when not even
// the desktop's size is known.
bool platform_monitor(Monitor &m);
// Opens the screen full screen over the monitor, the way the platform's desktops expect;
// false when refused.
bool platform_openfullscreen(const Monitor &m);
// Opens a decorated window of w by h named "Vellmora"; false when refused.
bool platform_openwindow(int w, int h);

// Keeps the sound library's own complaints off standard error: without a sound device the
// game plays silently and says nothing. Called before the sound is installed.
void platform_quietsound();

// Where a pad's buttons and D-pad are in Allegro's joy[n]: asked of the device where the
// platform can, else the usual order of the platform's pads.
PadLayout platform_padlayout(int n);

// Whether taps and clicks play the game: only in the browser. A desktop always has a
// keyboard at hand and keeps its pointer hidden; there a click only ends the splash.
bool platform_taps();

// Lets every left press reach the latch, even one released before the next tick's look.
void platform_watchmouse();

// Keeps the system pointer invisible over the game.
void platform_hidepointer();

// Prints what the command line answers: on standard output, or standard error when it is
// an error. On Windows, with no console to print to, in a message box.
void platform_say(const std::string &text, bool error);

// Runs step until it returns false. A desktop runs it flat out: frames go out as fast as the
// machine allows, while logic advances only as the timer thread adds ticks. A page runs it
// once at once and then once an animation frame, after handing Allegro the time, keys, pads
// and sound that came meanwhile; there it never returns, and the end is platform_exit(0).
void platform_run(bool (*step)());

// Called once a pass, after the frame: nothing on a desktop, whose screen is Allegro's. A
// page hands the frame to its canvas.
void platform_yield();

// Tells what the screen now shows in words, as it changes: the splash's line, the title and
// its highlighted item, each line of a game and the highlighted option. A page hands it to
// a screen reader; a desktop, whose window has no such channel, lets it go.
void platform_tell(const std::string &text);

// Says on standard error (on Windows, in a message box too) what stopped the start-up and
// ends the process with status 1.
[[noreturn]] void platform_fail(const char *what);
// Ends the program with this status, its exit handlers run first.
[[noreturn]] void platform_exit(int status);
std::string failuretext(const char *what); // what, then Allegro's reason if it gave one
