// Allegro on 64-bit Windows: text and flood fills into a bitmap that lies above 4 GB.
//
// Windows with high-entropy ASLR puts the heap above 4 GB; Wine keeps it low, which hides
// any address that Allegro squeezes through a 32-bit long. Reserving every free range below
// 4 GB first makes the heap go high under Wine too, and a truncated address then points into
// reserved memory and crashes the program. Exit status 0: the drawing landed where it belongs.
#include <allegro.h>
#include <winalleg.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

static const uintptr_t FOUR_GB = uintptr_t(1) << 32;

// Every free range below 4 GB, reserved and never used; returns how many bytes that took.
static unsigned long long reservelow()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const uintptr_t grain = info.dwAllocationGranularity;
    unsigned long long taken = 0;
    uintptr_t at = grain;
    while (at < FOUR_GB) {
        MEMORY_BASIC_INFORMATION mbi;
        if (VirtualQuery(reinterpret_cast<void *>(at), &mbi, sizeof mbi) == 0)
            break;
        uintptr_t base = reinterpret_cast<uintptr_t>(mbi.BaseAddress);
        uintptr_t end = base + mbi.RegionSize;
        if (end > FOUR_GB)
            end = FOUR_GB;
        if (mbi.State == MEM_FREE) {
            uintptr_t start = (base + grain - 1) / grain * grain;
            if (start < end &&
                VirtualAlloc(reinterpret_cast<void *>(start), end - start, MEM_RESERVE,
                             PAGE_NOACCESS))
                taken += end - start;
        }
        at = end > at ? end : at + grain;
    }
    return taken;
}

static int failures = 0;

static void expect(bool ok, const char *what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    failures += !ok;
}

int main()
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::printf("FAILED: Allegro does not start: %s\n", allegro_error);
        return 1;
    }
    set_color_depth(32);
    unsigned long long taken = reservelow();
    std::printf("reserved %llu MB below 4 GB\n", taken >> 20);

    // Large enough that the heap takes it straight from fresh address space.
    BITMAP *bmp = create_bitmap(1024, 1024);
    if (!bmp) {
        std::printf("FAILED: no bitmap\n");
        return 1;
    }
    uintptr_t line = reinterpret_cast<uintptr_t>(bmp->line[0]);
    std::printf("bitmap memory at %#llx\n", static_cast<unsigned long long>(line));
    expect(line >= FOUR_GB, "the bitmap lies above 4 GB");
    std::fflush(stdout);

    const int white = makecol(255, 255, 255), black = makecol(0, 0, 0);
    clear_to_color(bmp, black);
    textout_ex(bmp, font, "Vellmora", 100, 500, white, black);
    int ink = 0;
    for (int y = 500; y < 508; ++y)
        for (int x = 100; x < 164; ++x)
            ink += getpixel(bmp, x, y) == white;
    expect(ink > 0 && getpixel(bmp, 99, 500) == black && getpixel(bmp, 164, 500) == black,
           "textout_ex drew the text at its place and nowhere beside it");
    std::fflush(stdout);

    rect(bmp, 200, 600, 260, 640, white);
    floodfill(bmp, 230, 620, white);
    expect(getpixel(bmp, 201, 601) == white && getpixel(bmp, 259, 639) == white &&
               getpixel(bmp, 261, 620) == black,
           "floodfill filled the rectangle and stopped at its edge");
    return failures ? 1 : 0;
}
END_OF_MAIN()
