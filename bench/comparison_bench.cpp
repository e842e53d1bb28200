// Speed of the comparison, true-prevalence and mean calculations.
#include <benchmark/benchmark.h>

#include "quorbel.h"

static void BM_Comparison_SampleSize(benchmark::State& state) {
  ComparisonSampleSizeResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Comparison_SampleSize(0.05f, 0.1f, 99, 95, &r));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Comparison_SampleSize);

static void BM_Comparison_ConfidenceInterval(benchmark::State& state) {
  ComparisonIntervalResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Comparison_ConfidenceInterval(0.2f, 100, 0.35f, 120, &r));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Comparison_ConfidenceInterval);

static void BM_True_Prevelance(benchmark::State& state) {
  TruePrevalenceResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(True_Prevelance(0.3f, 0.9f, 0.95f, &r));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_True_Prevelance);

static void BM_Estimating_SampleSize(benchmark::State& state) {
  int32_t sizes[QUORBEL_LADDER_RESULTS];
  for (auto _ : state) {
    benchmark::DoNotOptimize(Estimating_SampleSize(2.0f, 95, 10.0f, 1000, sizes));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Estimating_SampleSize);

static void BM_Estimating_ConfidenceInterval(benchmark::State& state) {
  IntervalResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Estimating_ConfidenceInterval(25.0f, 4.0f, 30, 200, 95, &r));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Estimating_ConfidenceInterval);
