// The real screen loop on a real display, counted by a wrapper screen, beside a floor loop.
//
//   vellmora_realbench firstframe LAUNCH_NS   time from launch to the first presented frame
//   vellmora_realbench passes SECONDS ROUNDS  game and floor passes per second, alternating
//   vellmora_realbench ticks SECONDS          ticks per second and the largest tick batch
//
// LAUNCH_NS is the wall-clock time in nanoseconds just before the process was started
// (date +%s%N). Every result is printed as key=value pairs on standard output.
#include <allegro.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

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

static Clock::time_point after(double length)
{
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(length));
}

// CPU time of the calling thread: on a shared machine it leaves out the time others held
// the core, which the wall clock cannot.
static double threadseconds()
{
    struct timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// Nanoseconds the calling thread has spent runnable but waiting for a core, as the
// scheduler counts them (second field of /proc/thread-self/schedstat); -1 if unknown.
static double runqueueseconds()
{
    FILE *f = std::fopen("/proc/thread-self/schedstat", "r");
    if (!f)
        return -1;
    unsigned long long oncpu = 0, waiting = 0;
    const int got = std::fscanf(f, "%llu %llu", &oncpu, &waiting);
    std::fclose(f);
    return got == 2 ? waiting / 1e9 : -1;
}

// The length of every pass, wall clock and thread CPU, from the end of one frame to the
// end of the next. A pass that another process interrupted is long on the wall clock
// only, so the median pass is what the machine allows and the longest is what a player
// would have seen.
struct PassLog {
    std::vector<double> wall, cpu;
    Clock::time_point lastwall;
    double lastcpu = 0, lastwait = 0;
    bool scheduler = false; // also read the scheduler's wait, at a few microseconds a pass
    double longestwall = 0, longestcpu = 0, longestwait = 0; // the longest pass: CPU, wait

    void start()
    {
        lastwall = Clock::now();
        lastcpu = threadseconds();
        if (scheduler)
            lastwait = runqueueseconds();
    }
    void mark()
    {
        const Clock::time_point now = Clock::now();
        const double cpunow = threadseconds();
        const double waitnow = scheduler ? runqueueseconds() : 0;
        const double w = seconds(now - lastwall), c = cpunow - lastcpu;
        wall.push_back(w);
        cpu.push_back(c);
        if (w > longestwall) {
            longestwall = w;
            longestcpu = c;
            longestwait = waitnow - lastwait;
        }
        lastwall = now;
        lastcpu = cpunow;
        lastwait = waitnow;
    }
};

static double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// What the wrapper saw of one run of a screen.
struct Counts {
    long passes = 0;       // frames drawn
    long ticks = 0;        // logic steps run
    long batch = 0;        // ticks run since the last frame
    long largestbatch = 0; // most ticks one pass ran back to back
    Clock::time_point start, lastframe, deadline;
    PassLog *log = nullptr; // where pass lengths go, if anywhere
};
static Counts counts;

// A screen that is S in every respect, but counts, and ends at a deadline.
template <class S>
struct Counted {
    static void enter()
    {
        S::enter();
        counts.passes = counts.ticks = counts.batch = counts.largestbatch = 0;
        counts.start = counts.lastframe = Clock::now();
        if (counts.log)
            counts.log->start();
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
        counts.lastframe = Clock::now();
        if (counts.log)
            counts.log->mark();
        counts.largestbatch = std::max(counts.largestbatch, counts.batch);
        counts.batch = 0;
        ++counts.passes;
    }
};

// The least any screen's pass can cost in this mode: clear the back buffer and stretch it.
static long floorloop(double length, PassLog &log)
{
    const Clock::time_point end = after(length);
    long passes = 0;
    log.start();
    while (Clock::now() < end) {
        clear_to_color(buffer, makecol(0, 0, 0));
        present();
        log.mark();
        ++passes;
    }
    return passes;
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
    counts.deadline = after(3600);
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
    std::printf("screen_w=%d screen_h=%d k=%d\n", SCREEN_W, SCREEN_H, placement.k);
}

static int passes(double length, int rounds)
{
    startgame();
    PassLog gamelog, floorlog;
    for (int r = 0; r < rounds; ++r) {
        PassLog round;
        counts.log = &round;
        counts.deadline = after(length);
        loop<Counted<GameLoop>>();
        const double game = counts.passes / seconds(counts.lastframe - counts.start);
        // The first pass of a round also ran the game's set-up.
        gamelog.wall.insert(gamelog.wall.end(), round.wall.begin() + 1, round.wall.end());
        gamelog.cpu.insert(gamelog.cpu.end(), round.cpu.begin() + 1, round.cpu.end());
        const double floor = floorloop(length, floorlog) / length;
        std::printf("round=%d game_passes_per_s=%.1f floor_passes_per_s=%.1f ratio=%.4f\n", r,
                    game, floor, game / floor);
        std::fflush(stdout);
    }
    const double gw = median(gamelog.wall), fw = median(floorlog.wall);
    const double gc = median(gamelog.cpu), fc = median(floorlog.cpu);
    std::printf("median_pass_us game=%.1f floor=%.1f pass_ratio=%.4f\n", gw * 1e6, fw * 1e6,
                fw / gw);
    std::printf("median_pass_cpu_us game=%.1f floor=%.1f pass_cpu_ratio=%.4f\n", gc * 1e6,
                fc * 1e6, fc / gc);
    std::printf("peak_rss_kib=%ld\n", peakrsskib());
    return 0;
}

static int ticks(double length)
{
    startgame();
    PassLog log;
    log.scheduler = runqueueseconds() >= 0;
    counts.log = &log;
    counts.deadline = after(3600);
    // Count the ticks the timer raised over a measured window: those the loop ran plus
    // the change in those still pending.
    Counted<GameLoop>::enter();
    const int pendingbefore = speed_count;
    counts.deadline = after(length);
    while (!quit && !Counted<GameLoop>::finished())
        pass<Counted<GameLoop>>();
    const Clock::time_point end = Clock::now();
    const int pendingafter = speed_count;
    const double elapsed = seconds(end - counts.start);
    const long raised = counts.ticks + pendingafter - pendingbefore;
    long over100 = 0;
    for (double w : log.wall)
        over100 += w > 0.1;
    std::printf("seconds=%.3f ticks_raised=%ld ticks_run=%ld\n", elapsed, raised, counts.ticks);
    std::printf("ticks_per_s=%.3f\n", raised / elapsed);
    std::printf("largest_batch=%ld\n", counts.largestbatch);
    std::printf("longest_pass_ms=%.2f longest_pass_cpu_ms=%.2f longest_pass_runqueue_ms=%.2f "
                "passes_over_100ms=%ld\n",
                log.longestwall * 1e3, log.longestcpu * 1e3,
                log.scheduler ? log.longestwait * 1e3 : -1.0, over100);
    std::printf("passes_per_s=%.1f median_pass_us=%.1f\n", counts.passes / elapsed,
                median(log.wall) * 1e6);
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
