// The trauma filter: words give way to their nearest lexicon words, more often every turn.
#include "distortion/distortion.h"

#include <cstdlib>

// A small draw passes when rand() % 8 is at most the turn; a chance is three in a row,
// stopping at the first that fails so the shared sequence advances predictably.
static bool chance(uint32_t turn)
{
    for (int i = 0; i < 3; ++i) {
        if (static_cast<uint32_t>(rand() % 8) > turn)
            return false;
    }
    return true;
}

// The second chance is weighted by how far the word sits from the game's baseline.
// When d is one below the baseline the divisor is 0; we treat x mod 0 as x, as the
// wrapped divisors just below it effectively do, so only a draw of 0 passes. The draw
// is still made, so every word that reaches this point uses the same number of draws.
static bool distancechance(uint32_t d)
{
    const uint32_t divisor = d - maxscore + 1;
    const uint32_t r = static_cast<uint32_t>(rand());
    const uint32_t remainder = divisor == 0 ? r : r % divisor;
    return remainder == 0;
}

std::string traumafilter(std::string line, uint32_t turn)
{
    std::vector<std::string> tokens = parsestring(line);
    for (std::string &token : tokens) {
        if (!isword(token))
            continue;
        std::string nearest;
        const uint32_t d = minleven(token, nearest);
        if (chance(turn) || (chance(turn) && distancechance(d)))
            token = nearest;
    }
    return reconstitute(tokens);
}
