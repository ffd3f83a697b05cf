// Whole games played through the key array, from set-up to the end of the screen loop.
#include "support/headless.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <thread>

#include "content/content.h"
#include "game/game.h"
#include "shell/loop.h"
#include "shell/shell.h"

namespace {

// One pass of the game loop with a single pending tick and Space as given.
void passwith(bool space)
{
    key[KEY_SPACE] = space;
    speed_count = 1;
    pass<GameLoop>();
}

class WholeGame : public Headless, public ::testing::WithParamInterface<int> {};

TEST_P(WholeGame, EightChoicesEndIt)
{
    GameLoop::enter();
    selectedconv = *std::next(conversationtree.begin(), GetParam());
    const size_t lines = selectedweather.size();

    // The Space that began the game is still down: the first press does nothing.
    int presses = 0, choices = 0;
    while (!GameLoop::finished() && presses < 100) {
        const uint32_t before = turn;
        passwith(true);
        passwith(false);
        ++presses;
        if (turn != before) {
            ++choices;
            EXPECT_EQ(choices == 8, leave) << "choice " << choices;
            EXPECT_EQ("", displaystring);
        }
    }
    EXPECT_EQ(8, choices);
    EXPECT_EQ(8u, turn);
    EXPECT_TRUE(selectedconv.empty());
    EXPECT_GT(curselected, 3u);
    // Every turn takes a choosing and a response press, and a monologue press while
    // lines last.
    EXPECT_EQ(1 + 8 * 2 + static_cast<int>(std::min<size_t>(lines, 8)), presses);
    EXPECT_EQ(lines - std::min<size_t>(lines, 8), selectedweather.size());
}

INSTANTIATE_TEST_SUITE_P(Trees, WholeGame, ::testing::Values(0, 1));

class GameLoopRun : public Headless {};

TEST_F(GameLoopRun, ReturnsAfterTheLastChoice)
{
    // Stands in for the timer and keyboard threads: one tick at a time, each with Space
    // toggled, handed over only once the loop has used up the one before.
    std::atomic<bool> over(false);
    int fed = 0;
    std::thread feeder([&] {
        while (!over) {
            if (speed_count.load() != 0) {
                std::this_thread::yield();
                continue;
            }
            // A game that never ends is let out by Escape, so the checks below fail
            // instead of the test hanging.
            if (fed < 400)
                key[KEY_SPACE] = fed % 2 == 0;
            else
                key[KEY_ESC] = 1;
            ++fed;
            ++speed_count;
        }
    });
    loop<GameLoop>();
    over = true;
    feeder.join();

    EXPECT_TRUE(leave);
    EXPECT_EQ(8u, turn);
    EXPECT_TRUE(selectedconv.empty());
    EXPECT_LT(fed, 400);
}

} // namespace
