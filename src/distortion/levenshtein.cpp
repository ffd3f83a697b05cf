// Edit distance without regard to case, and the nearest word of the game's lexicon.
#include "distortion/distortion.h"

#include <algorithm>
#include <cctype>

#include <boost/multi_array.hpp>

#include "content/content.h"

uint32_t levenshteindistance(const std::string &a, const std::string &b)
{
    const size_t m = a.size(), n = b.size();
    boost::multi_array<unsigned int, 2> d;
    d.resize(boost::extents[m + 1][n + 1]);
    for (size_t i = 0; i <= m; ++i)
        d[i][0] = static_cast<unsigned int>(i);
    for (size_t j = 0; j <= n; ++j)
        d[0][j] = static_cast<unsigned int>(j);
    for (size_t i = 1; i <= m; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i - 1]));
        for (size_t j = 1; j <= n; ++j) {
            const int cb = std::tolower(static_cast<unsigned char>(b[j - 1]));
            const unsigned int cost = ca == cb ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j - 1] + cost, d[i][j - 1] + 1, d[i - 1][j] + 1});
        }
    }
    return d[m][n];
}

uint32_t minleven(const std::string &text, std::string &nearest)
{
    uint32_t best = NOMATCH;
    for (const std::string &word : selectedtrauma) {
        uint32_t d = levenshteindistance(text, word);
        // Strictly closer only: ties stay with the earlier lexicon word.
        if (d < best) {
            best = d;
            nearest = word;
        }
    }
    return best;
}

void calcmaxscore()
{
    uint32_t best = NOMATCH;
    std::string scratch;
    for (const std::string &line : selectedweather)
        best = std::min(best, minleven(line, scratch));
    maxscore = best;
}
