// Fuzz target: the module check on any bytes, and DUMB on every module the check lets by.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <dumb.h>

#include "fuzzcheck.h"
#include "music/music.h"

// The game hands DUMB a file name, and DUMB's file reader skips differently from its
// memory reader: an in-memory file keeps the same path without touching the disk.
static std::string modulepath()
{
    static std::string path;
    if (path.empty()) {
        const int fd = memfd_create("fuzz-module", 0);
        FUZZ_CHECK(fd >= 0);
        path = "/proc/self/fd/" + std::to_string(fd);
        dumb_register_stdfiles();
    }
    return path;
}

// How far the inputs got, told at exit: checked, let by, loaded by DUMB.
static unsigned long checked, wellformed, loaded;

static void tally()
{
    fprintf(stderr, "xmload: %lu inputs checked, %lu well-formed, %lu loaded by DUMB\n",
            checked, wellformed, loaded);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (checked++ == 0)
        atexit(tally);
    const bool ok = xmwellformed(data, size);
    FUZZ_CHECK(ok == xmwellformed(data, size));
    if (!ok)
        return 0;
    ++wellformed;

    const std::string path = modulepath();
    FILE *f = fopen(path.c_str(), "wb");
    FUZZ_CHECK(f && fwrite(data, 1, size, f) == size);
    fclose(f);
    DUH *duh = dumb_load_xm_quick(path.c_str());
    if (!duh)
        return 0;
    ++loaded;
    // A quarter of a second at the game's rate runs the first rows through the player.
    DUH_SIGRENDERER *sr = duh_start_sigrenderer(duh, 0, 1, 0);
    if (sr) {
        short buf[2756];
        duh_render(sr, 16, 0, 1.0f, 65536.0f / 11025, 2756, buf);
        duh_end_sigrenderer(sr);
    }
    unload_duh(duh);
    return 0;
}
