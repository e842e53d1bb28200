// Speed of freedom from disease: a risk-based sensitivity of 10 groups, the
// probability of freedom over 20 periods, and the sample-size searches for
// answers up to about 10^6 units (infinite) and for N up to 10^7, and a
// two-stage design over a herd list.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "quorbel_freedom.h"

namespace {

void BM_Freedom_RiskBased10Groups(benchmark::State& state) {
  std::vector<QuorbelFreedomGroup> groups(10);
  for (int g = 0; g < 10; ++g) groups[static_cast<size_t>(g)] = {1.0 + g, 0.1, 20, 0.9, 0, 0};
  for (auto _ : state) {
    double sensitivity = 0;
    benchmark::DoNotOptimize(QuorbelFreedom_RiskBased(0.01, 10, groups.data(), &sensitivity));
    benchmark::DoNotOptimize(sensitivity);
  }
}
BENCHMARK(BM_Freedom_RiskBased10Groups);

void BM_Freedom_Probability20Periods(benchmark::State& state) {
  const std::vector<double> periods(20, 0.8);
  std::vector<double> priors(20), probabilities(20);
  for (auto _ : state) {
    double equilibrium = 0;
    benchmark::DoNotOptimize(QuorbelFreedom_Probability(0.5, 0.01, 20, periods.data(), priors.data(),
                                                        probabilities.data(), &equilibrium));
    benchmark::DoNotOptimize(probabilities.data());
  }
}
BENCHMARK(BM_Freedom_Probability20Periods);

// Design prevalence 10^-2 .. 10^-6 of an infinite population at SE 0.9 and
// target 0.95: answers from 332 to about 3.3 x 10^6 units.
void BM_Freedom_SampleSizeInfinite(benchmark::State& state) {
  const double prevalence = 1.0 / static_cast<double>(state.range(0));
  for (auto _ : state) {
    QuorbelFreedomSize r;
    benchmark::DoNotOptimize(QuorbelFreedom_SampleSize(HUGE_VAL, prevalence, 0.9, 0.95, &r));
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_Freedom_SampleSizeInfinite)->Arg(100)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// A finite population of N at P 10^-4 (hypergeometric sums).
void BM_Freedom_SampleSizeFinite(benchmark::State& state) {
  const double population = static_cast<double>(state.range(0));
  for (auto _ : state) {
    QuorbelFreedomSize r;
    benchmark::DoNotOptimize(QuorbelFreedom_SampleSize(population, 0.0001, 0.9, 0.95, &r));
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_Freedom_SampleSizeFinite)->Arg(100000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// Two-stage freedom over a list of herds of three sizes (40, 400, 4,000
// animals), each size searched once: 120 and 12,000 herds.
void BM_Freedom_TwoStage(benchmark::State& state) {
  const size_t count = static_cast<size_t>(state.range(0));
  std::vector<QuorbelFreedomHerd> herds(count);
  for (auto _ : state) {
    for (size_t i = 0; i < count; ++i) herds[i] = {i % 3 == 0 ? 40.0 : i % 3 == 1 ? 400.0 : 4000.0, 0, 0, 0, 0};
    QuorbelFreedomTwoStage r;
    benchmark::DoNotOptimize(QuorbelFreedom_TwoStage(0.02, 0.05, 0.8, 0.9, 0.95, static_cast<int32_t>(count),
                                                     herds.data(), &r));
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_Freedom_TwoStage)->Arg(120)->Arg(12000)->Unit(benchmark::kMicrosecond);

}  // namespace
