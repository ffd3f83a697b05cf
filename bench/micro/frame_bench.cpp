// Speed of one game frame against the floor that every frame pays: clear and stretch, on
// screens of 640x480, 1920x1080 and 3840x2160 (k = 4, 9 and 18).
#include <benchmark/benchmark.h>

#include <allegro.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "game/game.h"
#include "micro/benchsupport.h"
#include "shell/shell.h"

// The desktop sizes whose scale is the benchmark's argument k.
static void screenfor(int k)
{
    benchscreen(k == 4 ? 640 : k == 9 ? 1920 : 3840, k == 4 ? 480 : k == 9 ? 1080 : 2160);
}

// A fresh game as the player first sees it, or with the longest line in the text panel.
static void BM_gameframe(benchmark::State &state)
{
    benchheadless();
    screenfor(state.range(1));
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
BENCHMARK(BM_gameframe)
    ->ArgNames({"text", "k"})
    ->ArgsProduct({{0, 1}, {4, 9, 18}})
    ->Unit(benchmark::kMicrosecond);

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
    screenfor(state.range(0));
    for (auto _ : state) {
        clear_to_color(buffer, makecol(0, 0, 0));
        present();
    }
}
BENCHMARK(BM_floorframe)->ArgName("k")->Arg(4)->Arg(9)->Arg(18)->Unit(benchmark::kMicrosecond);

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
    screenfor(state.range(1));
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
BENCHMARK(BM_frameoverfloor)
    ->ArgNames({"text", "k"})
    ->ArgsProduct({{0, 1}, {4, 9, 18}})
    ->Unit(benchmark::kMicrosecond);
