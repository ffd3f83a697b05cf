// Thousands of whole games with random keys: the game's invariants hold in every tick,
// and memory does not grow from one game to the next.
#include "support/headless.h"

#include <random>
#include <vector>

#include "support/gameplay.h"
#include "support/heap.h"

// Keys as a restless player holds them: each arrow and Space changes state in a third
// of the ticks; Escape is tapped rarely, so most games run to their last choice.
static std::vector<unsigned char> randomkeys(std::mt19937 &rng, size_t ticks)
{
    std::vector<unsigned char> keys(ticks);
    unsigned held = 0;
    for (unsigned char &k : keys) {
        for (unsigned bit : {HOLD_UP, HOLD_DOWN, HOLD_LEFT, HOLD_RIGHT, HOLD_SPACE})
            if (rng() % 3 == 0)
                held ^= bit;
        k = static_cast<unsigned char>(held | (rng() % 2000 == 0 ? HOLD_ESC : 0));
    }
    return keys;
}

class LongRun : public Headless {};

TEST_F(LongRun, RandomGamesKeepTheirInvariantsAndTheirMemory)
{
    const int GAMES = 2000, WARMUP = 100;
    std::mt19937 rng(424242);
    long warm = 0;
    int finished = 0, escaped = 0;
    for (int g = 0; g < GAMES; ++g) {
        if (g == WARMUP)
            warm = heapinuse();
        const std::vector<unsigned char> keys = randomkeys(rng, 3000);
        const GameRun run = playgame(keys.data(), keys.size(), 4);
        ASSERT_EQ("", run.broken) << "game " << g;
        ASSERT_TRUE(run.ended) << "game " << g << " still going after " << run.ticks
                               << " ticks";
        ++(run.byescape ? escaped : finished);
    }
    // Both ways out of a game were taken many times.
    EXPECT_GT(finished, GAMES / 2);
    EXPECT_GT(escaped, 50);
    const long end = heapinuse();
    EXPECT_LT(end, warm + 256 * 1024) << "heap in use grew from " << warm << " to " << end
                                      << " bytes over " << GAMES - WARMUP << " games";
}
