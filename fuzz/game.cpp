// Fuzz target: whole games played from arbitrary key sequences, one byte per tick.
#include <allegro.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzzcheck.h"
#include "shell/shell.h"
#include "support/gameplay.h"

static void bringup()
{
    static bool up = false;
    if (up)
        return;
    FUZZ_CHECK(install_allegro(SYSTEM_NONE, &errno, atexit) == 0);
    set_color_depth(32);
    buffer = create_bitmap(BUFFER_W, BUFFER_H);
    FUZZ_CHECK(buffer != nullptr);
    up = true;
}

// The first two bytes seed the random sequence; each later byte holds the arrows and
// Space in its low five bits, and Escape when its top three bits are all set, so that
// most inputs play on instead of leaving at once.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2 || size > 4096)
        return 0;
    bringup();
    srand(data[0] | (data[1] << 8));
    std::vector<unsigned char> keys;
    for (size_t i = 2; i < size; ++i)
        keys.push_back(static_cast<unsigned char>((data[i] & 0x1f) |
                                                  ((data[i] & 0xe0) == 0xe0 ? HOLD_ESC : 0)));
    const GameRun run = playgame(keys.data(), keys.size(), 1);
    if (!run.broken.empty()) {
        fprintf(stderr, "%s\n", run.broken.c_str());
        FUZZ_CHECK(run.broken.empty());
    }
    return 0;
}
