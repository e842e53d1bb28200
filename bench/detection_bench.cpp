// Speed of the detection calculations and of the cut-off search in each of
// its models, worst cases included.
#include <benchmark/benchmark.h>

#include "detection/numeric.h"
#include "quorbel.h"

using quorbel::FindReactorCutOff;
using quorbel::SpecificityPower;

static void BM_DetectingEvent_SampleSize_SimpleRandom(benchmark::State& state) {
  DetectionSampleSizeResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DetectingEvent_SampleSize_SimpleRandom(0.01f, 1000, 95, 0.9f, 0.95f, 0, 0, &r, 0.05f, 0));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DetectingEvent_SampleSize_SimpleRandom);

static void BM_DetectingEvent_SampleSize_TwoStages(benchmark::State& state) {
  TwoStageDetectionResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        DetectingEvent_SampleSize_TwoStages(95, 0.05f, 500, 0.2f, 100, 95, 0.9f, 0.98f, 0, 0, &r, 0.05f, 0));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DetectingEvent_SampleSize_TwoStages);

static void BM_DetectingEvent_MaximumPrevalence(benchmark::State& state) {
  MaximumPrevalenceResult r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DetectingEvent_MaximumPrevalence(30, 1000, 0.9f, 95, 0.05f, &r));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DetectingEvent_MaximumPrevalence);

// Cut-off search: m and a specificity, in the model m and lambda choose.
static void BM_FindReactorCutOff(benchmark::State& state) {
  const int m = static_cast<int>(state.range(0));
  const float sp = static_cast<float>(state.range(1)) / 1000.0f;
  for (auto _ : state) benchmark::DoNotOptimize(FindReactorCutOff(m, sp, 0.05f, SpecificityPower::kReal));
}
BENCHMARK(BM_FindReactorCutOff)
    ->Args({170, 500})          // binomial, worst case: k near 95
    ->Args({171, 850})          // Poisson near lambda 25
    ->Args({5000, 800})         // normal, lambda 1000
    ->Args({100000, 500})       // normal, lambda 50000
    ->Args({2000000000, 500});  // normal over two billion animals
