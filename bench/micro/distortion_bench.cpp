// Speed of the trauma filter, the edit distance and the baseline distance.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "distortion/distortion.h"
#include "micro/benchsupport.h"

// Every line that is ever filtered, once per lexicon: the average cost of one call.
static void BM_traumafilter_everyline(benchmark::State &state)
{
    const uint32_t turn = static_cast<uint32_t>(state.range(0));
    const std::vector<std::string> &lines = filteredlines();
    srand(1);
    int64_t calls = 0;
    for (auto _ : state) {
        for (int lex = 0; lex < lexiconcount(); ++lex) {
            state.PauseTiming();
            uselexicon(lex);
            state.ResumeTiming();
            for (const std::string &line : lines) {
                std::string shown = traumafilter(line, turn);
                benchmark::DoNotOptimize(shown);
                ++calls;
            }
        }
    }
    state.SetItemsProcessed(calls);
}
BENCHMARK(BM_traumafilter_everyline)->ArgName("turn")->Arg(0)->Arg(7)
    ->Unit(benchmark::kMicrosecond);

// The longest built-in line against each lexicon: the slowest single call a turn makes.
static void BM_traumafilter_longest(benchmark::State &state)
{
    const int lex = static_cast<int>(state.range(0));
    const uint32_t turn = static_cast<uint32_t>(state.range(1));
    const std::string &line = longestline();
    uselexicon(lex);
    srand(1);
    for (auto _ : state) {
        std::string shown = traumafilter(line, turn);
        benchmark::DoNotOptimize(shown);
    }
    state.SetLabel(std::to_string(line.size()) + " bytes");
}
BENCHMARK(BM_traumafilter_longest)->ArgNames({"lexicon", "turn"})
    ->ArgsProduct({benchmark::CreateDenseRange(0, 8, 1), {0, 7}})
    ->Unit(benchmark::kMicrosecond);

// Word against lexicon word, as the filter measures, and a whole line against a word,
// as the baseline does.
static const char *const pairs[][2] = {
    {"it", "fat"},
    {"rained", "man"},
    {"remember", "stranger"},
    {"shoulders", "defenceless"},
    {"trembled", "discrimination"},
    {"I remember the trees outside; how they swayed and shook as the ground trembled. ",
     "discrimination"},
};

static void BM_levenshteindistance(benchmark::State &state)
{
    const std::string a = pairs[state.range(0)][0];
    const std::string b = pairs[state.range(0)][1];
    for (auto _ : state)
        benchmark::DoNotOptimize(levenshteindistance(a, b));
    state.SetLabel(std::to_string(a.size()) + "x" + std::to_string(b.size()));
}
BENCHMARK(BM_levenshteindistance)->ArgName("pair")
    ->DenseRange(0, static_cast<int>(sizeof pairs / sizeof pairs[0]) - 1)
    ->Unit(benchmark::kNanosecond);

static void BM_calcmaxscore(benchmark::State &state)
{
    selectedweather = nthmonologue(static_cast<int>(state.range(0)));
    selectedtrauma = nthlexicon(static_cast<int>(state.range(1)));
    for (auto _ : state) {
        calcmaxscore();
        benchmark::DoNotOptimize(maxscore);
    }
    state.counters["maxscore"] = maxscore;
}
BENCHMARK(BM_calcmaxscore)->ArgNames({"monologue", "lexicon"})
    ->ArgsProduct({benchmark::CreateDenseRange(0, 5, 1), benchmark::CreateDenseRange(0, 8, 1)})
    ->MinTime(0.05)->Unit(benchmark::kMicrosecond);
