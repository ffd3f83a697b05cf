// Speed of one game frame against the floor that every frame pays: clear and stretch.
#include <benchmark/benchmark.h>

#include <allegro.h>

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

static void BM_floorframe(benchmark::State &state)
{
    benchheadless();
    for (auto _ : state) {
        clear_to_color(buffer, makecol(0, 0, 0));
        present();
    }
}
BENCHMARK(BM_floorframe)->Unit(benchmark::kMicrosecond);
