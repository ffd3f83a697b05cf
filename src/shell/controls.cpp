// The six controls as each tick sees them: the keyboard and the pads merged, and every
// press latched where it arrives so that none falls between two ticks.
#include <allegro.h>

#include <algorithm>
#include <atomic>

#include "shell/platform.h"
#include "shell/shell.h"

// The keys behind the controls, in the controls' order.
static const int controlkeys[NUM_CONTROLS] = {KEY_UP,    KEY_DOWN,  KEY_LEFT,
                                              KEY_RIGHT, KEY_SPACE, KEY_ESC};

// Presses begun since the last tick took them; raised from Allegro's input threads.
static std::atomic<int> presses[NUM_INPUTS];
// The controls' keys the keyboard holds, so a key's repeats are not new presses.
static std::atomic<unsigned> keysheld(0);

// Main thread only: presses not yet shown to a tick, and what the last tick saw.
static const int MAX_OWED = 16; // a key injector's burst, not an unending one
static int owed[NUM_INPUTS];
static bool shown[NUM_INPUTS];

static unsigned padsheld = 0; // inputs the pads held at the last poll, as bits

// Taps wait in a ring, written by whoever delivers the mouse and read by the ticks.
static const unsigned TAP_QUEUE = 8;
static Tap taps[TAP_QUEUE];
static std::atomic<unsigned> tapsin(0), tapsout(0);
static Tap ticktap;           // the tap this tick may take
static bool hastap = false;
static Tap kepttap;           // a tap the last tick kept for this one
static bool haskept = false;

void pressinput(int input)
{
    ++presses[input];
}

void keyevent(int scancode)
{
    const int code = scancode & 0x7f;
    for (int c = 0; c < NUM_CONTROLS; ++c) {
        if (controlkeys[c] != code)
            continue;
        const unsigned bit = 1u << c;
        if (scancode & 0x80)
            keysheld &= ~bit;
        else if (!(keysheld.fetch_or(bit) & bit))
            pressinput(c);
    }
}

void mouseevent(int flags)
{
    if (!(flags & MOUSE_FLAG_LEFT_DOWN))
        return;
    pressinput(INPUT_CLICK);
    if (platform_taps())
        screentap(mouse_x, mouse_y);
}

void installcontrols()
{
    keyboard_lowlevel_callback = keyevent;
    platform_watchmouse();
    // Most machines have no pad: that is no fault, and no reason is kept for it either.
    if (install_joystick(JOY_TYPE_AUTODETECT) != 0)
        allegro_error[0] = '\0';
    for (int n = 0; n < MAX_PADS; ++n)
        padlayout[n] = platform_padlayout(n);
}

void pollpads()
{
    if (num_joysticks <= 0) {
        padsheld = 0;
        return;
    }
    poll_joystick();
    static unsigned stick[MAX_PADS];
    unsigned held = 0;
    for (int n = 0; n < std::min(num_joysticks, MAX_PADS); ++n)
        held |= padcontrols(joy[n], padlayout[n], stick[n]);
    for (int i = 0; i < NUM_INPUTS; ++i)
        if ((held & ~padsheld) & (1u << i))
            pressinput(i);
    padsheld = held;
}

static bool held(int input)
{
    if (padsheld & (1u << input))
        return true;
    if (input < NUM_CONTROLS)
        return key[controlkeys[input]] != 0;
    return input == INPUT_CLICK && (mouse_b & 1);
}

static bool nexttap(Tap &tap)
{
    if (haskept) {
        haskept = false;
        tap = kepttap;
        return true;
    }
    const unsigned out = tapsout.load();
    if (out == tapsin.load(std::memory_order_acquire))
        return false;
    tap = taps[out % TAP_QUEUE];
    tapsout.store(out + 1, std::memory_order_release);
    return true;
}

// A press owed to a screen that saw the input down at its last tick would not be fresh
// there: the input shows up for one tick first.
void readcontrols()
{
    pollpads();
    for (int i = 0; i < NUM_INPUTS; ++i) {
        owed[i] = std::min(owed[i] + presses[i].exchange(0), MAX_OWED);
        bool down = held(i);
        if (shown[i] && owed[i] > 0) {
            down = false;
        } else if (!shown[i] && owed[i] > 0) {
            down = true;
            --owed[i];
        }
        shown[i] = down;
    }
    hastap = nexttap(ticktap);
}

bool controldown(int input)
{
    return shown[input];
}

void holdcontrols()
{
    for (int i = 0; i < NUM_INPUTS; ++i) {
        presses[i] = 0;
        owed[i] = 0;
        shown[i] = false;
    }
    tapsout.store(tapsin.load());
    hastap = haskept = false;
}

void input_tap(int x, int y)
{
    const unsigned in = tapsin.load();
    if (in - tapsout.load(std::memory_order_acquire) >= TAP_QUEUE)
        return; // a full ring: taps far faster than any hand
    taps[in % TAP_QUEUE] = {x, y};
    tapsin.store(in + 1, std::memory_order_release);
}

void screentap(int x, int y)
{
    const Placement &p = placement;
    if (x < p.x || y < p.y || x >= p.x + p.w || y >= p.y + p.h)
        return;
    input_tap((x - p.x) / p.k, (y - p.y) / p.k);
}

bool taketap(Tap &tap)
{
    if (!hastap)
        return false;
    hastap = false;
    tap = ticktap;
    return true;
}

void keeptap(const Tap &tap)
{
    kepttap = tap;
    haskept = true;
}
