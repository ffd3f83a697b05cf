// Fuzz target: breaking any text into lines for every width from 0 to 40.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzzcheck.h"
#include "game/game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1024)
        return 0;
    const std::string text(reinterpret_cast<const char *>(data), size);
    for (int n = 0; n <= 40; ++n) {
        const std::vector<WrapLine> lines = wraplines(text, n);
        FUZZ_CHECK(n > 0 || lines.empty());
        std::string back;
        for (const WrapLine &line : lines) {
            FUZZ_CHECK(!line.text.empty());
            FUZZ_CHECK(line.text.size() <= static_cast<size_t>(n));
            FUZZ_CHECK(line.consumed == 0 || line.consumed == ' ' || line.consumed == '\n');
            back += line.text;
            if (line.consumed)
                back += line.consumed;
        }
        FUZZ_CHECK(n == 0 || back == text);
    }
    return 0;
}
