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

static void BM_SampleSize_Stratified(benchmark::State& state) {
  StratifiedSampleSizeResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        SampleSize_Stratified(95, 0.2f, 1000, 0.3f, 2000, 0.1f, 500, 0.2f, 300, 0.05f, 100, 0.5f, &r));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SampleSize_Stratified);

static void BM_SampleSize_TwoStages(benchmark::State& state) {
  TwoStageSampleSizeResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SampleSize_TwoStages(0.3f, 0.2f, 95, 10, 3, 0.0f, &r));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SampleSize_TwoStages);

static void BM_ConfidenceInterval_SimpleRandom_Proportion(benchmark::State& state) {
  IntervalResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ConfidenceInterval_SimpleRandom_Proportion(0.3f, 100, 1000, 95, &r));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ConfidenceInterval_SimpleRandom_Proportion);

static void BM_ConfidenceInterval_SimpleRandom_PositiveCases(benchmark::State& state) {
  EstimateIntervalResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ConfidenceInterval_SimpleRandom_PositiveCases(30, 100, 1000, 95, &r));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ConfidenceInterval_SimpleRandom_PositiveCases);

static void BM_ConfidenceInterval_Stratified(benchmark::State& state) {
  EstimateIntervalResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ConfidenceInterval_Stratified(95, 1000, 100, 0.3f, 2000, 150, 0.1f, 500, 50, 0.2f,
                                                           300, 30, 0.05f, 100, 10, 0.5f, &r));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ConfidenceInterval_Stratified);
