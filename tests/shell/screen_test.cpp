// Where the picture sits on screens of every size, and that it lands there crisply.
#include "support/headless.h"

#include <cstdint>
#include <vector>

#include "shell/shell.h"

namespace {

struct PlaceCase {
    int screenw, screenh;
    int k, x, y;
};

TEST(Placement, LargestScaleThatFitsCentred)
{
    const PlaceCase cases[] = {
        {640, 480, 4, 0, 0},        // today's screen: no borders
        {800, 600, 5, 0, 0},
        {1920, 1080, 9, 240, 0},    // bars left and right
        {1280, 1024, 8, 0, 32},     // bars above and below
        {3840, 2160, 18, 480, 0},
        {320, 240, 2, 0, 0},
        {1919, 1079, 8, 319, 59},   // one pixel short of k = 9 and of k = 12
        {160, 120, 1, 0, 0},
        {100, 80, 1, -30, -20},     // smaller than the buffer: k stays 1, the middle shows
    };
    for (const PlaceCase &c : cases) {
        const Placement p = placeon(c.screenw, c.screenh);
        SCOPED_TRACE(testing::Message() << c.screenw << "x" << c.screenh);
        EXPECT_EQ(c.k, p.k);
        EXPECT_EQ(c.x, p.x);
        EXPECT_EQ(c.y, p.y);
        EXPECT_EQ(160 * c.k, p.w);
        EXPECT_EQ(120 * c.k, p.h);
    }
}

TEST(Placement, WindowLeavesATenthOfTheDesktopFree)
{
    const struct {
        int desktopw, desktoph, k;
    } cases[] = {
        {1920, 1080, 8},  // 1280x960; k = 9 would fill the height
        {640, 480, 3},    // 480x360
        {3840, 2160, 16}, // 2560x1920
        {1280, 1024, 7},
        {1600, 1200, 9},  // 1440 is exactly 90 % of 1600
        {100, 80, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.desktopw << "x" << c.desktoph);
        EXPECT_EQ(c.k, windowscale(c.desktopw, c.desktoph));
    }
}

// A back buffer whose neighbouring pixels all differ, in rows and in columns.
void pattern()
{
    for (int y = 0; y < BUFFER_H; ++y)
        for (int x = 0; x < BUFFER_W; ++x)
            putpixel(buffer, x, y, makecol(x * 37 & 255, y * 53 & 255, (x ^ y) & 255));
}

uint32_t raw(BITMAP *bmp, int x, int y)
{
    return reinterpret_cast<uint32_t *>(bmp->line[y])[x];
}

class Presenting : public Headless {
protected:
    BITMAP *saved = nullptr;
    void SetUp() override
    {
        Headless::SetUp();
        saved = screen;
    }
    void TearDown() override
    {
        if (screen != saved)
            destroy_bitmap(screen);
        screen = saved;
        placement = placeon(DISPLAY_W, DISPLAY_H);
        Headless::TearDown();
    }
};

// Every buffer pixel becomes exactly one k x k block at every scale up to 3840x2160,
// and everything around the picture is black, whatever was on the screen before.
TEST_F(Presenting, EveryBufferPixelBecomesExactlyOneBlockAtEveryScale)
{
    pattern();
    const uint32_t black = makecol(0, 0, 0);
    for (int k = 1; k <= 18; ++k) {
        SCOPED_TRACE(testing::Message() << "k = " << k);
        // Borders of 3 and 2 pixels on each side.
        if (screen != saved)
            destroy_bitmap(screen);
        screen = create_bitmap(160 * k + 6, 120 * k + 4);
        ASSERT_NE(nullptr, screen);
        clear_to_color(screen, makecol(200, 10, 90));
        placement = placeon(screen->w, screen->h);
        ASSERT_EQ(k, placement.k);
        clearborders();
        present();
        int wrong = 0;
        for (int y = 0; y < screen->h && wrong == 0; ++y) {
            for (int x = 0; x < screen->w; ++x) {
                const int bx = x - 3, by = y - 2;
                const bool inside = bx >= 0 && bx < 160 * k && by >= 0 && by < 120 * k;
                const uint32_t want = inside ? raw(buffer, bx / k, by / k) : black;
                if (raw(screen, x, y) != want && wrong++ == 0)
                    ADD_FAILURE() << "screen pixel (" << x << ", " << y << ") is wrong";
            }
        }
    }
}

// At 640x480 the stretch covers the whole screen, exactly as a plain 4x stretch does.
TEST_F(Presenting, TodaysScreenIsThePlainFourfoldStretch)
{
    pattern();
    BITMAP *plain = create_bitmap(640, 480);
    stretch_blit(buffer, plain, 0, 0, 160, 120, 0, 0, 640, 480);
    clear_to_color(screen, makecol(200, 10, 90));
    clearborders();
    present();
    EXPECT_TRUE(sameimage(screen, plain));
    destroy_bitmap(plain);
}

} // namespace

namespace {

// Alt+Enter and F11 act once per press, however long they are held; other keys never do.
TEST(ScreenToggle, ActsOncePerPressOfAltEnterOrF11)
{
    struct Step {
        std::vector<int> down; // keys held at this look
        bool acts;
    };
    const Step steps[] = {
        {{}, false},
        {{KEY_ENTER}, false},              // Enter alone belongs to nobody: no switch
        {{KEY_ALT}, false},
        {{KEY_ALT, KEY_ENTER}, true},
        {{KEY_ALT, KEY_ENTER}, false},     // still held
        {{KEY_ENTER}, false},              // Alt let go first: still the same press
        {{}, false},
        {{KEY_F11}, true},
        {{KEY_F11, KEY_SPACE}, false},
        {{KEY_SPACE}, false},
        {{KEY_ALTGR, KEY_ENTER}, true},
        {{KEY_UP, KEY_DOWN, KEY_ESC}, false},
    };
    int n = 0;
    for (const Step &step : steps) {
        for (int k = 0; k < KEY_MAX; ++k)
            key[k] = 0;
        for (int k : step.down)
            key[k] = 1;
        EXPECT_EQ(step.acts, togglepressed()) << "step " << n;
        ++n;
    }
    for (int k = 0; k < KEY_MAX; ++k)
        key[k] = 0;
    togglepressed();
}

} // namespace
