// Speed of the selections with inclusion probabilities: 1,000 distinct
// units of 100,000 (sizes 1 to 1,000, a few certainty units), the
// probabilities and Sampford's draw.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "quorbel_sampling.h"

namespace {

void BM_Sampling_Distinct(benchmark::State& state) {
  const int32_t count = static_cast<int32_t>(state.range(0)), n = static_cast<int32_t>(state.range(1));
  std::vector<double> sizes(static_cast<size_t>(count)), pi(sizes.size());
  for (int32_t i = 0; i < count; ++i) sizes[static_cast<size_t>(i)] = 1 + static_cast<double>((static_cast<int64_t>(i) * 7919) % 1000) + (i % 9973 == 0 ? 1e5 : 0);
  std::vector<int32_t> chosen(sizes.size());
  uint64_t seed = 1;
  for (auto _ : state) {
    int32_t certainty = 0, pareto = 0;
    benchmark::DoNotOptimize(QuorbelSampling_InclusionProbabilities(count, sizes.data(), n, pi.data(), &certainty));
    benchmark::DoNotOptimize(QuorbelSampling_Sampford(count, pi.data(), n, seed++, chosen.data(), &pareto));
    benchmark::DoNotOptimize(chosen.data());
  }
}
BENCHMARK(BM_Sampling_Distinct)->Args({30, 8})->Args({100000, 1000})->Unit(benchmark::kMillisecond);

// Systematic PPS of 1,000 of 1,000,000 units.
void BM_Sampling_Systematic(benchmark::State& state) {
  const int32_t count = 1000000, n = 1000;
  std::vector<double> sizes(static_cast<size_t>(count)), pi(sizes.size());
  for (int32_t i = 0; i < count; ++i) sizes[static_cast<size_t>(i)] = 1 + static_cast<double>((static_cast<int64_t>(i) * 7919) % 1000);
  std::vector<int32_t> chosen(sizes.size());
  uint64_t seed = 1;
  for (auto _ : state) {
    int32_t certainty = 0;
    benchmark::DoNotOptimize(QuorbelSampling_InclusionProbabilities(count, sizes.data(), n, pi.data(), &certainty));
    benchmark::DoNotOptimize(QuorbelSampling_Systematic(count, pi.data(), n, seed++, chosen.data()));
  }
}
BENCHMARK(BM_Sampling_Systematic)->Unit(benchmark::kMillisecond);

}  // namespace
