// Test fixture for the distortion tests: the game's lexicon, monologue and baseline set by
// hand, and a way to count how far a call advanced the shared rand() sequence.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "content/content.h"
#include "distortion/distortion.h"

class LexiconTest : public ::testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }

    static void clear()
    {
        weatherdescriptions.clear();
        traumadescriptions.clear();
        conversationtree.clear();
        selectedtrauma.clear();
        selectedweather.clear();
        maxscore = 0;
    }
};

// The first n values rand() gives after srand(seed).
inline std::vector<int> sequence(unsigned seed, size_t n)
{
    srand(seed);
    std::vector<int> values;
    for (size_t i = 0; i < n; ++i)
        values.push_back(rand());
    return values;
}

// How many rand() calls run() made from srand(seed): the generator's next three values are
// looked up in a fresh copy of the sequence. -1 when they are not within the first `most`.
inline int drawsmade(unsigned seed, const std::function<void()> &run, size_t most = 128)
{
    srand(seed);
    run();
    const int a = rand(), b = rand(), c = rand();
    const std::vector<int> fresh = sequence(seed, most + 3);
    for (size_t k = 0; k <= most; ++k) {
        if (fresh[k] == a && fresh[k + 1] == b && fresh[k + 2] == c)
            return static_cast<int>(k);
    }
    return -1;
}
