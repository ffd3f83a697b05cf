// Speed of one game frame against the floor that every frame pays: clear and stretch.
#include <benchmark/benchmark.h>

#include <allegro.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "game/game.h"
#include "micro/benchsupport.h"
#include "shell/shell.h"

static void present()
{
    stretch_blit(buffer, screen, 0, 0, BUFFER_W, BUFFER_H, 0, 0, DISPLAY_W, DISPLAY_H);
}

// A fresh game as the player first sees it, or with the longest line in the text panel.
static void BM_gameframe(benchmark::State &state)
{
    benchheadless();
    srand(1);
    GameLoop::enter();
    if (state.range(0) == 1)
        displaystring = longestline();
    for (auto _ : state) {
        GameLoop::draw();
        present();
    }
    state.SetLabel(std::to_string(displaystring.size()) + " bytes shown");
}
BENCHMARK(BM_gameframe)->ArgName("text")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The frame alone, without the stretch, to see what the drawing itself costs.
static void BM_gamedraw(benchmark::State &state)
{
    benchheadless();
    srand(1);
    GameLoop::enter();
    if (state.range(0) == 1)
        displaystring = longestline();
    for (auto _ : state)
        GameLoop::draw();
}
BENCHMARK(BM_gamedraw)->ArgName("text")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

static void BM_floorframe(benchmark::State &state)
{
    benchheadless();
    for (auto _ : state) {
        clear_to_color(buffer, makecol(0, 0, 0));
        present();
    }
}
BENCHMARK(BM_floorframe)->Unit(benchmark::kMicrosecond);

static double medianof(std::vector<double> &v)
{
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// Game frame and floor frame one after the other, each timed on its own: a burst of load
// from elsewhere lands on both alike, and the median of each leaves such bursts out.
static void BM_frameoverfloor(benchmark::State &state)
{
    using Clock = std::chrono::steady_clock;
    benchheadless();
    srand(1);
    GameLoop::enter();
    if (state.range(0) == 1)
        displaystring = longestline();
    std::vector<double> frames, floors;
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        GameLoop::draw();
        present();
        const Clock::time_point t1 = Clock::now();
        clear_to_color(buffer, makecol(0, 0, 0));
        present();
        const Clock::time_point t2 = Clock::now();
        frames.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        floors.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
    }
    const double frame = medianof(frames), floor = medianof(floors);
    state.counters["frame_us"] = frame;
    state.counters["floor_us"] = floor;
    state.counters["ratio"] = frame / floor;
}
BENCHMARK(BM_frameoverfloor)->ArgName("text")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
