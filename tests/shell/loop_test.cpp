// The screen loop: tick batches, one frame per pass, end flags only between passes.
#include "support/headless.h"

#include "content/content.h"
#include "game/game.h"
#include "shell/loop.h"

namespace {

// A screen that records what the loop does to it.
struct ProbeScreen {
    static int entries, ticks, frames, endafter;
    static std::vector<int> ticksatframe;

    static void enter() { ++entries; }
    static bool finished() { return endafter >= 0 && ticks >= endafter; }
    static void logic() { ++ticks; }
    static void draw()
    {
        ++frames;
        ticksatframe.push_back(ticks);
        clear_to_color(buffer, makecol(255, 255, 255));
    }
    static void reset()
    {
        entries = ticks = frames = 0;
        endafter = -1;
        ticksatframe.clear();
    }
};
int ProbeScreen::entries, ProbeScreen::ticks, ProbeScreen::frames, ProbeScreen::endafter;
std::vector<int> ProbeScreen::ticksatframe;

class ScreenLoop : public Headless {
protected:
    void SetUp() override
    {
        Headless::SetUp();
        ProbeScreen::reset();
    }
};

TEST_F(ScreenLoop, PendingTicksRunBackToBackBeforeOneFrame)
{
    speed_count = 5;
    pass<ProbeScreen>();
    EXPECT_EQ(5, ProbeScreen::ticks);
    EXPECT_EQ(0, speed_count.load());
    ASSERT_EQ(1, ProbeScreen::frames);
    EXPECT_EQ(5, ProbeScreen::ticksatframe[0]);
}

TEST_F(ScreenLoop, PassWithoutTicksStillDrawsAndPresents)
{
    pass<ProbeScreen>();
    EXPECT_EQ(0, ProbeScreen::ticks);
    EXPECT_EQ(1, ProbeScreen::frames);
    // The white back buffer has been stretched over the whole screen.
    EXPECT_EQ(makecol(255, 255, 255), pixel(screen, 0, 0));
    EXPECT_EQ(makecol(255, 255, 255), pixel(screen, 639, 479));
}

TEST_F(ScreenLoop, EndFlagSetByFirstTickLetsTheBatchFinishAndOneFrameShow)
{
    ProbeScreen::endafter = 1;
    speed_count = 3;
    loop<ProbeScreen>();
    EXPECT_EQ(1, ProbeScreen::entries);
    EXPECT_EQ(3, ProbeScreen::ticks);
    EXPECT_EQ(1, ProbeScreen::frames);
}

// Leaving the program, by "Leave" or by a signal, is tested before every pass.
TEST_F(ScreenLoop, QuitOrSignalOnEntryRunsEntryButNoPass)
{
    for (bool bysignal : {false, true}) {
        SCOPED_TRACE(bysignal ? "signal" : "quit");
        ProbeScreen::reset();
        quit = !bysignal;
        signalled = bysignal;
        speed_count = 4;
        loop<ProbeScreen>();
        EXPECT_EQ(1, ProbeScreen::entries);
        EXPECT_EQ(0, ProbeScreen::frames);
        EXPECT_EQ(4, speed_count.load());
    }
}

TEST_F(ScreenLoop, TimerCallbackAddsOneTick)
{
    increment_speed_counter();
    increment_speed_counter();
    EXPECT_EQ(2, speed_count.load());
}

TEST_F(ScreenLoop, GameEnteredWithQuitSetUpButDrawsNothing)
{
    quit = true;
    speed_count = 2;
    loop<GameLoop>();
    EXPECT_EQ(2u, conversationtree.size());
    EXPECT_FALSE(selectedconv.empty());
    EXPECT_FALSE(displaystring.empty());
    EXPECT_EQ(2, speed_count.load());
    for (int y = 0; y < 480; y += 7)
        for (int x = 0; x < 640; x += 7)
            ASSERT_EQ(makecol(0, 0, 0), pixel(screen, x, y));
}

} // namespace
