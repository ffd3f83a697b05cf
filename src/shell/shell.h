// Shell: start-up, the main sequence, the front screens and the state they share.
#pragma once

#include <atomic>

struct BITMAP;

// Fixed geometry and timing.
const int BUFFER_W = 160;  // back buffer width in pixels
const int BUFFER_H = 120;  // back buffer height in pixels
const int DISPLAY_W = 640; // screen when the desktop's size is unknown, and last window
const int DISPLAY_H = 480;
const int TICKS_PER_SECOND = 30; // logic rate
const int INTRO_TICKS = 6000;     // the intro gives up waiting after this many ticks
// A calm splash keeps each colour this many ticks: 2.5 changes a second, safely under the
// three flashes a second that photosensitivity guidance allows, even when ticks bunch.
const int CALM_COLOUR_TICKS = 12;

extern bool quit;                    // the player chose to leave the program
extern std::atomic<int> speed_count; // pending logic ticks; raised by the timer thread
extern bool escpressed;              // Escape was down at the previous tick of this screen
extern BITMAP *buffer;               // the 160x120 back buffer every screen draws into
extern std::atomic<bool> signalled;  // SIGINT, SIGTERM or SIGHUP came: end as "Leave" does
extern bool calm;                    // the splash changes its colour at most 3 times a second
extern bool startwindowed;           // start in a window rather than full screen

// Where the back buffer lands on the screen: k screen pixels for every buffer pixel.
struct Placement {
    int k;    // the scale on both axes
    int x, y; // top left corner of the picture on the screen
    int w, h; // 160k by 120k
};
extern Placement placement; // set with the screen; 640x480 at k = 4 until then

extern int titletimer;     // ticks run since the intro started
extern bool finishedtitle; // the intro is over

void init();
void increment_speed_counter();

// Every screen loop and the main sequence end when this holds.
inline bool leaving()
{
    return quit || signalled;
}

Placement placeon(int screenw, int screenh); // the largest k that fits, centred
int windowscale(int desktopw, int desktoph); // the largest k whose window fits the desktop
void setscreen();    // full screen on the primary monitor, else a window; or exit 1
void togglescreen();  // full screen to a window or back, the game going on
bool togglepressed(); // Alt+Enter or F11 went down since the last look
void clearborders(); // black around the picture
void present();      // the back buffer stretched into its place on the screen
int mainsequence(); // intro once, music, then title and games until quit; returns 0

// The splash shown once after start-up.
struct IntroLoop {
    static void enter();
    static bool finished();
    static void logic();
    static void draw();
};

// The title menu shown before every game.
struct TitleLoop {
    static bool begin;     // "Begin" was activated: a game is to start
    static int selected;   // highlighted item: 0 "Begin", 1 "Leave"
    static bool upheld;    // Up must be released before it acts again
    static bool downheld;  // Down must be released before it acts again
    static bool spaceheld; // Space held since entry does nothing until released

    static void enter();
    static bool finished();
    static void logic();
    static void draw();
};
