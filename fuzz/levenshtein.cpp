// Fuzz target: edit distance against a plain reference and its own symmetries.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "distortion/distortion.h"
#include "fuzzcheck.h"

static char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Two rows of the textbook table, nothing shared with the game's version.
static uint32_t reference(const std::string &a, const std::string &b)
{
    std::vector<uint32_t> prev(b.size() + 1), cur(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        prev[j] = static_cast<uint32_t>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        cur[0] = static_cast<uint32_t>(i);
        for (size_t j = 1; j <= b.size(); ++j) {
            const uint32_t change = prev[j - 1] + (lower(a[i - 1]) != lower(b[j - 1]));
            cur[j] = std::min({change, prev[j] + 1, cur[j - 1] + 1});
        }
        std::swap(prev, cur);
    }
    return prev[b.size()];
}

// The first byte says where the rest splits into the two texts.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0 || size > 512)
        return 0;
    const std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);
    const size_t cut = rest.empty() ? 0 : data[0] % (rest.size() + 1);
    const std::string a = rest.substr(0, cut), b = rest.substr(cut);

    const uint32_t d = levenshteindistance(a, b);
    FUZZ_CHECK(d == levenshteindistance(b, a));
    const size_t longer = std::max(a.size(), b.size()), shorter = std::min(a.size(), b.size());
    FUZZ_CHECK(longer - shorter <= d && d <= longer);
    FUZZ_CHECK(d == reference(a, b));

    std::string upper = a;
    for (char &c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    FUZZ_CHECK(levenshteindistance(a, upper) == 0);
    return 0;
}
