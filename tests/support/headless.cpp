// Test fixture: headless Allegro and a clean slate of globals for every test.
#include "support/headless.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

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
}

void resetglobals()
{
    quit = false;
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
    srand(1);
}

void Headless::TearDown()
{
    releasekeys();
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
