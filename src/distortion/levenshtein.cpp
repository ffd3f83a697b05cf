// Edit distance without regard to case, and the nearest word of the game's lexicon.
#include "distortion/distortion.h"

#include <algorithm>
#include <cctype>

#include <boost/multi_array.hpp>

#include "content/content.h"

uint32_t levenshteindistance(const std::string &a, const std::string &b)
{
    const size_t m = a.size(), n = b.size();
    boost::multi_array<unsigned int, 2> d(boost::extents[m + 1][n + 1]);
    // The filter calls this for every word against every lexicon word, so the cells are
    // reached through the matrix's own contiguous row-major storage rather than through
    // its index proxies, and b is folded once per call rather than once per cell.
    unsigned int *cells = d.data();
    const size_t width = n + 1;
    std::string lowb(n, '\0');
    for (size_t j = 0; j < n; ++j)
        lowb[j] = static_cast<char>(std::tolower(static_cast<unsigned char>(b[j])));
    for (size_t i = 0; i <= m; ++i)
        cells[i * width] = static_cast<unsigned int>(i);
    for (size_t j = 0; j <= n; ++j)
        cells[j] = static_cast<unsigned int>(j);
    for (size_t i = 1; i <= m; ++i) {
        const char ca = static_cast<char>(std::tolower(static_cast<unsigned char>(a[i - 1])));
        const unsigned int *above = cells + (i - 1) * width;
        unsigned int *row = cells + i * width;
        for (size_t j = 1; j <= n; ++j) {
            const unsigned int cost = ca == lowb[j - 1] ? 0 : 1;
            row[j] = std::min({above[j - 1] + cost, row[j - 1] + 1, above[j] + 1});
        }
    }
    return cells[m * width + n];
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
