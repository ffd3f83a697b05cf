// Test fixture: headless Allegro and a clean slate of globals for every test.
#include "support/headless.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "content/content.h"
#include "distortion/distortion.h"
#include "game/game.h"
#include "music/music.h"
#include "shell/shell.h"

static BITMAP *fakescreen = nullptr;

static void bringup()
{
    static bool up = false;
    if (up)
        return;
    ASSERT_EQ(0, install_allegro(SYSTEM_NONE, &errno, atexit));
    set_color_depth(32);
    up = true;
}

void releasekeys()
{
    for (int k = 0; k < KEY_MAX; ++k)
        key[k] = 0;
    // Allegro's own input state: presses waiting in the buffer and the mouse buttons.
    clear_keybuf();
    mouse_b = 0;
    // The latches see the keys go up too.
    for (int k = 0; k < KEY_MAX; ++k)
        keyevent(k | 0x80);
}

// No pad, and no press or tap left over from the test before.
static void resetcontrols()
{
    num_joysticks = 0;
    for (int n = 0; n < MAX_JOYSTICKS; ++n)
        joy[n] = JOYSTICK_INFO();
    pollpads();
    holdcontrols();
}

void resetglobals()
{
    quit = false;
    signalled = false;
    placement = placeon(DISPLAY_W, DISPLAY_H);
    speed_count = 0;
    escpressed = false;
    titletimer = 0;
    finishedtitle = false;
    TitleLoop::begin = false;
    TitleLoop::selected = 0;
    TitleLoop::upheld = false;
    TitleLoop::downheld = false;
    TitleLoop::spaceheld = false;

    displaystring.clear();
    gamestate = 0;
    curselected = 0;
    turn = 0;
    for (bool &p : pressed)
        p = false;
    leave = false;

    weatherdescriptions.clear();
    traumadescriptions.clear();
    conversationtree.clear();
    selectedweather.clear();
    selectedtrauma.clear();
    selectedconv.clear();
    maxscore = 0;

    music = nullptr;
    dplay = nullptr;
}

void Headless::SetUp()
{
    bringup();
    if (!buffer)
        buffer = create_bitmap(160, 120);
    if (!fakescreen)
        fakescreen = create_bitmap(640, 480);
    screen = fakescreen;
    clear_to_color(buffer, makecol(0, 0, 0));
    clear_to_color(screen, makecol(0, 0, 0));
    BITMAP *keep = buffer;
    resetglobals();
    buffer = keep;
    releasekeys();
    resetcontrols();
    srand(1);
}

void Headless::TearDown()
{
    releasekeys();
    resetcontrols();
}

int pixel(BITMAP *bmp, int x, int y)
{
    int c = getpixel(bmp, x, y);
    return makecol(getr(c), getg(c), getb(c));
}

bool iswhite(int x, int y)
{
    return pixel(buffer, x, y) == makecol(255, 255, 255);
}

bool isblack(int x, int y)
{
    return pixel(buffer, x, y) == makecol(0, 0, 0);
}

Canvas::Canvas(int colour) : bmp(create_bitmap(160, 120))
{
    clear_to_color(bmp, colour);
}

Canvas::~Canvas()
{
    destroy_bitmap(bmp);
}

::testing::AssertionResult sameimage(BITMAP *got, BITMAP *want)
{
    int differ = 0, firstx = -1, firsty = -1;
    for (int y = 0; y < want->h; ++y) {
        for (int x = 0; x < want->w; ++x) {
            if (pixel(got, x, y) == pixel(want, x, y))
                continue;
            if (differ++ == 0) {
                firstx = x;
                firsty = y;
            }
        }
    }
    if (differ == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << differ << " pixels differ, the first at (" << firstx << ", " << firsty << ")";
}

std::ostream &operator<<(std::ostream &out, const Box &b)
{
    return out << "(" << b.x0 << "," << b.y0 << ")-(" << b.x1 << "," << b.y1 << ")";
}

Box inkbox(BITMAP *bmp, int colour, int x0, int y0, int x1, int y1)
{
    Box box = {x1 + 1, y1 + 1, x0 - 1, y0 - 1};
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (pixel(bmp, x, y) != colour)
                continue;
            box.x0 = std::min(box.x0, x);
            box.y0 = std::min(box.y0, y);
            box.x1 = std::max(box.x1, x);
            box.y1 = std::max(box.y1, y);
        }
    }
    if (box.x1 < box.x0)
        return {0, 0, -1, -1};
    return box;
}

Box glyphbox(const char *text)
{
    BITMAP *scratch = create_bitmap(BUFFER_W, BUFFER_H);
    clear_to_color(scratch, makecol(0, 0, 0));
    textout_ex(scratch, font, text, 0, 0, makecol(255, 255, 255), -1);
    Box box = inkbox(scratch, makecol(255, 255, 255));
    destroy_bitmap(scratch);
    return box;
}

::testing::AssertionResult samehits(const Box *areas, int count, int (*at)(int, int))
{
    for (int y = -1; y <= BUFFER_H; ++y) {
        for (int x = -1; x <= BUFFER_W; ++x) {
            int want = -1;
            for (int i = 0; i < count; ++i) {
                const Box &b = areas[i];
                if (x >= b.x0 && x <= b.x1 && y >= b.y0 && y <= b.y1)
                    want = i;
            }
            const int got = at(x, y);
            if (got != want)
                return ::testing::AssertionFailure()
                       << "at (" << x << ", " << y << ") " << got << ", not " << want;
        }
    }
    return ::testing::AssertionSuccess();
}
