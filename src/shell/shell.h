// Shell: start-up, the main sequence, the front screens and the state they share.
#pragma once

#include <atomic>

struct BITMAP;
struct JOYSTICK_INFO;

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

// A rectangle of the picture: what an item or box is drawn in, and where a tap finds it.
struct Rect {
    int x, y; // top left corner
    int w, h;
    bool holds(int px, int py) const
    {
        return px >= x && px < x + w && py >= y && py < y + h;
    }
};
const Rect PICTURE = {0, 0, BUFFER_W, BUFFER_H};

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

// The six controls the screens read, each merged from the keyboard and the pads; the
// numbers double as indices and bit positions. Up to Space are the game's pressed[] order.
enum Control {
    CONTROL_UP,
    CONTROL_DOWN,
    CONTROL_LEFT,
    CONTROL_RIGHT,
    CONTROL_SPACE,
    CONTROL_ESCAPE,
    NUM_CONTROLS
};
// Two more inputs that only the splash reads.
const int INPUT_ANYBUTTON = NUM_CONTROLS;   // any button of any pad
const int INPUT_CLICK = NUM_CONTROLS + 1;   // the left mouse button, a tap
const int NUM_INPUTS = NUM_CONTROLS + 2;

// What reaches the controls, and what each platform's drivers must do for it:
// - Keys: every press and release through Allegro's _handle_key_press/_handle_key_release,
//   as they come; keyboard_lowlevel_callback (keyevent) latches each press of the six keys.
// - Mouse and taps: a press shows in _mouse_b for at least one poll_mouse (one runs before
//   every tick), with _mouse_x/_mouse_y already at the point it went down, in screen
//   coordinates; Allegro then calls mouse_callback (mouseevent), which latches the click and,
//   where platform_taps() holds, queues the tap through screentap. Nothing else feeds taps.
// - Pads: a joystick driver that fills joy[n] for n < num_joysticks at each poll_joystick
//   (the game polls once a pass and once a tick). In the browser every pad reports in the
//   Gamepad API's standard order (STANDARD_PAD): button[b].b for buttons 0..16, the D-pad as
//   buttons 12..15, stick[0] the left stick with JOYFLAG_ANALOGUE | JOYFLAG_SIGNED, two axes,
//   pos from -127 to 127 (x right, y down). A pad that comes later may take a slot then.

// Hooks the keyboard's and the mouse's latches and installs the pads' driver, quietly when
// there is no pad. After install_keyboard, install_mouse and install_timer.
void installcontrols();
// Once at the top of every tick: what the tick sees of every input. A press that went down
// and up since the last tick shows as down for this one tick; a press that came while the
// input was still shown down first shows it up for a tick, so every press is fresh once.
void readcontrols();
bool controldown(int input); // down in the tick: held now, or pressed since the last tick
// On a screen's entry: presses and taps that came before belong to the screen before.
void holdcontrols();
// A press of an input began; from any thread (the keyboard's and pads' latches use it).
void pressinput(int input);
void keyevent(int scancode); // Allegro's keyboard_lowlevel_callback: press, or release | 0x80
void mouseevent(int flags);  // Allegro's mouse_callback: a left press, and a tap where taps count

// A tap or a left click on the picture, in 160x120 picture coordinates.
struct Tap {
    int x, y;
};
// Queues a tap; each tick hands at most one to its screen, in the order they came.
void input_tap(int x, int y);
// A tap at screen coordinates, mapped through `placement`; one off the picture is dropped.
void screentap(int x, int y);
bool taketap(Tap &tap); // this tick's tap, if one came
void keeptap(const Tap &tap); // a tap the tick could not use waits for the next tick

// Which buttons and sticks of a pad, as Allegro's joy[] holds it, are which. Button
// indices are -1 where the pad has none.
struct PadLayout {
    int south;    // A, Cross: Space
    int start;    // Start, Options, Menu: Space
    int back;     // Back, Select, View, Share: Escape, and the only button that leaves
    int dpad[4];  // D-pad buttons for Up, Down, Left, Right
    int dpadstick; // the stick that is the D-pad (a hat), or -1; a digital stick always is
};
// The browser's Gamepad API "standard" mapping: 0 A, 8 Back, 9 Start, 12 to 15 the D-pad.
const PadLayout STANDARD_PAD = {0, 9, 8, {12, 13, 14, 15}, -1};
// An XInput pad through DirectInput (and Linux's xpad): 0 A, 6 Back, 7 Start, a hat.
const PadLayout XINPUT_PAD = {0, 7, 6, {-1, -1, -1, -1}, -1};
// The left stick counts as an arrow past half way and stops counting only back under a
// quarter, so a stick resting off centre never moves the highlight.
const int STICK_ON = 64;  // of Allegro's -128..127
const int STICK_OFF = 32;
// The controls a pad holds down, as bits (1 << CONTROL_UP ...), with INPUT_ANYBUTTON's bit
// while any button is down. `stick` carries the left stick's arrows from the previous look, for the hysteresis.
unsigned padcontrols(const JOYSTICK_INFO &pad, const PadLayout &layout, unsigned &stick);
const int MAX_PADS = 8;              // Allegro's MAX_JOYSTICKS
extern PadLayout padlayout[MAX_PADS]; // each pad's layout, learnt as the pads are installed
// Polls the pads: once a pass, so a press shorter than a tick is seen, and again by each tick.
void pollpads();

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

const int NUM_TITLEITEMS = 2;
Rect titleitem(int item); // where "Begin" (0) or "Leave" (1) is drawn: its text's own cells
int titleitemat(int x, int y); // the item drawn at a picture point, or -1
