// The microbenchmarks' entry: Google Benchmark's own command line.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
