// The real screen loop on a real display, counted by a wrapper screen, beside a floor loop.
//
//   vellmora_realbench firstframe LAUNCH_NS   time from launch to the first presented frame
//   vellmora_realbench passes SECONDS ROUNDS  game and floor passes per second, alternating
//   vellmora_realbench ticks SECONDS          ticks per second and the largest tick batch
//
// LAUNCH_NS is the wall-clock time in nanoseconds just before the process was started
// (date +%s%N). Every result is printed as one key=value line on standard output.
#include <allegro.h>
#include <sys/resource.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/game.h"
#include "music/music.h"
#include "shell/loop.h"
#include "shell/platform.h"
#include "shell/shell.h"

using Clock = std::chrono::steady_clock;

static double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// What the wrapper saw of one run of a screen.
struct Counts {
    long passes = 0;       // frames drawn
    long ticks = 0;        // logic steps run
    long batch = 0;        // ticks run since the last frame
    long largestbatch = 0; // most ticks one pass ran back to back
    double longestpass = 0; // seconds, from one frame to the next
    Clock::time_point start, lastframe, deadline;
};
static Counts counts;

// A screen that is S in every respect, but counts, and ends at a deadline.
template <class S>
struct Counted {
    static void enter()
    {
        S::enter();
        counts.passes = counts.ticks = counts.batch = counts.largestbatch = 0;
        counts.longestpass = 0;
        counts.start = counts.lastframe = Clock::now();
    }
    static bool finished() { return S::finished() || Clock::now() >= counts.deadline; }
    static void logic()
    {
        S::logic();
        ++counts.ticks;
        ++counts.batch;
    }
    static void draw()
    {
        S::draw();
        const Clock::time_point now = Clock::now();
        const double gap = seconds(now - counts.lastframe);
        if (gap > counts.longestpass)
            counts.longestpass = gap;
        counts.lastframe = now;
        if (counts.batch > counts.largestbatch)
            counts.largestbatch = counts.batch;
        counts.batch = 0;
        ++counts.passes;
    }
};

// The least any screen's pass can cost in this mode: clear the back buffer and stretch it.
static long floorloop(double length)
{
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(length));
    long passes = 0;
    while (Clock::now() < end) {
        clear_to_color(buffer, makecol(0, 0, 0));
        stretch_blit(buffer, screen, 0, 0, BUFFER_W, BUFFER_H, 0, 0, DISPLAY_W, DISPLAY_H);
        ++passes;
    }
    return passes;
}

static void rungame(double length)
{
    counts.deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(length));
    loop<Counted<GameLoop>>();
}

// CPU time of the calling thread: on a shared machine it leaves out the time others held
// the core, which the wall clock cannot.
static double threadseconds()
{
    struct timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

static long peakrsskib()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

static long long wallnanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Start-up exactly as the game's main does it, up to the end of its first pass.
static int firstframe(long long launched)
{
    const long long entered = wallnanoseconds();
    platform_finddata();
    init();
    // A run opens on the intro.
    counts.deadline = Clock::now() + std::chrono::hours(1);
    Counted<IntroLoop>::enter();
    while (!quit && !Counted<IntroLoop>::finished() && counts.passes == 0)
        pass<Counted<IntroLoop>>();
    const long long presented = wallnanoseconds();
    std::printf("launch_to_main_ms=%.2f\n", (entered - launched) / 1e6);
    std::printf("launch_to_first_frame_ms=%.2f\n", (presented - launched) / 1e6);
    std::printf("peak_rss_kib=%ld\n", peakrsskib());
    return 0;
}

static void startgame()
{
    platform_finddata();
    init();
    playmusic(0);
    std::printf("sound=\"%s\" music=%s\n", digi_driver ? digi_driver->ascii_name : "",
                dplay ? "streaming" : "silent");
}

static int passes(double length, int rounds)
{
    startgame();
    for (int r = 0; r < rounds; ++r) {
        double cpu = threadseconds();
        rungame(length);
        const double gamecpu = threadseconds() - cpu;
        const double gametime = seconds(counts.lastframe - counts.start);
        const double game = counts.passes / gametime;
        const long gamepasses = counts.passes;
        cpu = threadseconds();
        const long floorpasses = floorloop(length);
        const double floorcpu = threadseconds() - cpu;
        const double floor = floorpasses / length;
        std::printf("round=%d game_passes_per_s=%.1f floor_passes_per_s=%.1f ratio=%.4f "
                    "game_passes_per_cpu_s=%.1f floor_passes_per_cpu_s=%.1f cpu_ratio=%.4f\n",
                    r, game, floor, game / floor, gamepasses / gamecpu, floorpasses / floorcpu,
                    (gamepasses / gamecpu) / (floorpasses / floorcpu));
        std::fflush(stdout);
    }
    std::printf("peak_rss_kib=%ld\n", peakrsskib());
    return 0;
}

static int ticks(double length)
{
    startgame();
    counts.deadline = Clock::now() + std::chrono::hours(1);
    // Count the ticks the timer raised over a measured window: those the loop ran plus
    // the change in those still pending.
    Counted<GameLoop>::enter();
    const int pendingbefore = speed_count;
    counts.deadline = counts.start + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(length));
    while (!quit && !Counted<GameLoop>::finished())
        pass<Counted<GameLoop>>();
    const Clock::time_point end = Clock::now();
    const int pendingafter = speed_count;
    const double elapsed = seconds(end - counts.start);
    const long raised = counts.ticks + pendingafter - pendingbefore;
    std::printf("seconds=%.3f ticks_raised=%ld ticks_run=%ld\n", elapsed, raised, counts.ticks);
    std::printf("ticks_per_s=%.3f\n", raised / elapsed);
    std::printf("largest_batch=%ld\n", counts.largestbatch);
    std::printf("longest_pass_ms=%.2f\n", counts.longestpass * 1e3);
    std::printf("passes_per_s=%.1f\n", counts.passes / elapsed);
    std::printf("peak_rss_kib=%ld\n", peakrsskib());
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "firstframe") == 0)
        return firstframe(std::atoll(argv[2]));
    if (argc == 4 && std::strcmp(argv[1], "passes") == 0)
        return passes(std::atof(argv[2]), std::atoi(argv[3]));
    if (argc == 3 && std::strcmp(argv[1], "ticks") == 0)
        return ticks(std::atof(argv[2]));
    std::fprintf(stderr, "usage: %s firstframe LAUNCH_NS | passes SECONDS ROUNDS | "
                         "ticks SECONDS\n", argv[0]);
    return 2;
}
END_OF_MAIN()
