// Speed of rendering the background music, as the player renders it, one second at a time.
#include <benchmark/benchmark.h>

#include <dumb.h>

#include <vector>

static const int RATE = 11025;

static DUH *loadmodule()
{
    static DUH *duh = nullptr;
    if (!duh) {
        dumb_register_stdfiles();
        duh = dumb_load_xm_quick(VELLMORA_SOURCE_DIR "/xm/bg.xm");
    }
    return duh;
}

// Seconds follow one another through the module (it loops), so the repetitions cover
// quiet and busy passages alike.
static void BM_musicsecond(benchmark::State &state)
{
    DUH *duh = loadmodule();
    if (!duh) {
        state.SkipWithError("xm/bg.xm missing or unreadable");
        return;
    }
    DUH_SIGRENDERER *sr = duh_start_sigrenderer(duh, 0, 1, 0);
    std::vector<short> samples(RATE);
    long rendered = 0;
    for (auto _ : state) {
        rendered += duh_render(sr, 16, 0, 1.0f, 65536.0f / RATE, RATE, samples.data());
        benchmark::DoNotOptimize(samples.data());
    }
    duh_end_sigrenderer(sr);
    state.counters["frames"] = benchmark::Counter(static_cast<double>(rendered),
                                                  benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_musicsecond)->Unit(benchmark::kMillisecond);
