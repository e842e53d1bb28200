// Speed of the prevalence calculations.
#include <benchmark/benchmark.h>

#include "quorbel.h"

static void BM_SampleSize_SimpleRandom(benchmark::State& state) {
  int32_t sizes[QUORBEL_LADDER_RESULTS];
  for (auto _ : state) {
    benchmark::DoNotOptimize(SampleSize_SimpleRandom(0.3f, 0.1f, 95, 1000, sizes));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SampleSize_SimpleRandom);
