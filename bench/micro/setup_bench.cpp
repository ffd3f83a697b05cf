// Speed of a game's set-up: content tables, selection and baseline distance.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "content/content.h"
#include "distortion/distortion.h"
#include "micro/benchsupport.h"

// The whole set-up; the random selection wanders over every pairing as it repeats.
static void BM_setup(benchmark::State &state)
{
    srand(1);
    for (auto _ : state) {
        insertbasicdata();
        selectconversations();
        calcmaxscore();
        benchmark::DoNotOptimize(maxscore);
    }
}
BENCHMARK(BM_setup)->Unit(benchmark::kMicrosecond);

// Its parts, to see where the time goes.
static void BM_setup_insertbasicdata(benchmark::State &state)
{
    for (auto _ : state) {
        insertbasicdata();
        benchmark::DoNotOptimize(conversationtree);
    }
}
BENCHMARK(BM_setup_insertbasicdata)->Unit(benchmark::kMicrosecond);

static void BM_setup_selectconversations(benchmark::State &state)
{
    insertbasicdata();
    srand(1);
    for (auto _ : state) {
        selectconversations();
        benchmark::DoNotOptimize(selectedconv);
    }
}
BENCHMARK(BM_setup_selectconversations)->Unit(benchmark::kMicrosecond);
