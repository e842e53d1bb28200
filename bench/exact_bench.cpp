// Speed of the exact layer: evaluating a design (up to n = 10,000 of
// N = 10,000,000), the herds a two-stage design needs, and searching for
// the exact design, including the case
// epiR's rsu.sssep.rsfreecalc answers (N 1,000, P 0.05, Se 0.95, Sp 0.98:
// 189 animals, positive at 8).
#include <benchmark/benchmark.h>

#include "quorbel_exact.h"

namespace {

void BM_Exact_Evaluate(benchmark::State& state) {
  const double population = static_cast<double>(state.range(0));
  const int32_t sample = static_cast<int32_t>(state.range(1));
  const int32_t positiveAt = static_cast<int32_t>(state.range(2));
  for (auto _ : state) {
    QuorbelExactEvaluation r;
    benchmark::DoNotOptimize(QuorbelExact_Evaluate(population, sample, 0.01, 0.95, 0.98, positiveAt, &r));
    benchmark::DoNotOptimize(r);
  }
}
// Cut-offs near the expected false positives, 2 % of the sample.
BENCHMARK(BM_Exact_Evaluate)->Args({1000, 269, 9})->Args({100000, 2000, 50})->Args({10000000, 10000, 220})
    ->Unit(benchmark::kMicrosecond);

// The vector the bindings' benchmark runs (bench/bindings_bench.sh): 100,000
// designs of N 1,000, P 0.01, Se 0.95, Sp 0.98, positive at 1 reactor, with
// n = 10 + i mod 260: the bare C calls that the bindings are held against.
void BM_Exact_EvaluateVector(benchmark::State& state) {
  for (auto _ : state) {
    for (int32_t i = 0; i < 100000; ++i) {
      QuorbelExactEvaluation r;
      benchmark::DoNotOptimize(QuorbelExact_Evaluate(1000, 10 + i % 260, 0.01, 0.95, 0.98, 1, &r));
      benchmark::DoNotOptimize(r);
    }
  }
}
BENCHMARK(BM_Exact_EvaluateVector)->Unit(benchmark::kMillisecond);

void BM_Exact_Design(benchmark::State& state) {
  const double population = static_cast<double>(state.range(0));
  const double prevalence = static_cast<double>(state.range(1)) / 10000.0;
  const double specificity = static_cast<double>(state.range(2)) / 1000.0;
  const double sensitivity = static_cast<double>(state.range(3)) / 1000.0;
  for (auto _ : state) {
    QuorbelExactDesign r;
    benchmark::DoNotOptimize(QuorbelExact_Design(population, prevalence, sensitivity, specificity, 95, 0.95, &r));
    benchmark::DoNotOptimize(r);
  }
}
// The freecalc case; an unreachable one; N = 10^7 answered by 10,505 animals
// (perfect test), by 59,392 animals positive at 73 (Sp 0.999), by 141,075
// positive at 1,473 (P 0.001, Se 0.9, Sp 0.99) and by 61,964 positive at
// 6,320 (P 0.01, Se 0.5, Sp 0.9: the sensitivity at the runs' ends rises
// slowly, so many blocks of cut-offs are summed); the slowest case known,
// 6,095,090 positive at 610,728 (P 0.001, Se 0.5, Sp 0.9), the slowest of
// a grid of designs of 10^7 (P 10^-5 to 0.03, Se 0.3 to 0.95, Sp 0.85 to
// 0.99): 6,821,302 positive at 1,024,730 (P 0.003, Se 0.3, Sp 0.85), and
// 10^7 unreachable at P 0.0001 (best 0.110).
BENCHMARK(BM_Exact_Design)
    ->Args({1000, 500, 980, 950})
    ->Args({1000, 100, 980, 950})
    ->Args({10000000, 3, 1000, 950})
    ->Args({10000000, 5, 999, 950})
    ->Args({10000000, 10, 990, 900})
    ->Args({10000000, 100, 900, 500})
    ->Args({10000000, 10, 900, 500})
    ->Args({10000000, 30, 850, 300})
    ->Args({10000000, 1, 900, 500})
    ->Unit(benchmark::kMillisecond);

// The fewest herds of a two-stage design: the worked two-stage case (500
// herds of 100, 28 animals positive at 3: 58 herds), and 100,000 herds.
void BM_Exact_HerdsNeeded(benchmark::State& state) {
  const int32_t herds = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    int32_t needed = 0;
    benchmark::DoNotOptimize(QuorbelExact_HerdsNeeded(herds, 0.05, 100, 28, 0.2, 0.9, 0.98, 3, 95, &needed));
    benchmark::DoNotOptimize(needed);
  }
}
BENCHMARK(BM_Exact_HerdsNeeded)->Arg(500)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Planning with an imperfect test: the Beta prior of the README (mode 0.9,
// 95 % at least 0.7), and the survey of 1,200 cows and the sensitivity study.
void BM_Exact_PriorBeta(benchmark::State& state) {
  for (auto _ : state) {
    QuorbelExactBeta r;
    benchmark::DoNotOptimize(QuorbelExact_PriorBeta(0.9, 0.7, 1, 95, &r));
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_Exact_PriorBeta)->Unit(benchmark::kMicrosecond);

void BM_Exact_TestSampleSizes(benchmark::State& state) {
  for (auto _ : state) {
    QuorbelExactTestSize survey, study;
    benchmark::DoNotOptimize(QuorbelExact_TruePrevalenceSampleSize(1200, 0.2, 0.9, 0.95, 0.05, 95, &survey));
    benchmark::DoNotOptimize(QuorbelExact_TestAccuracySampleSize(0, 0.9, 0.1, 0.05, 95, &study));
    benchmark::DoNotOptimize(survey);
    benchmark::DoNotOptimize(study);
  }
}
BENCHMARK(BM_Exact_TestSampleSizes);

// The Bayesian true prevalence, 12 % reactors with priors Beta(85, 15) and
// Beta(97, 3) on Se and Sp: 150, 1,000 and 10,000 animals.
void BM_Exact_BayesPrevalence(benchmark::State& state) {
  const int32_t tested = static_cast<int32_t>(state.range(0));
  const double priors[6] = {1, 1, 85, 15, 97, 3};
  for (auto _ : state) {
    QuorbelExactBayes r;
    benchmark::DoNotOptimize(QuorbelExact_BayesPrevalence(tested * 12 / 100, tested, priors, 95, 0.1, &r));
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_Exact_BayesPrevalence)->Arg(150)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Heavy cases of n 10,000: 30 % reactors under the same priors; half
// reacting under uniform priors, where every term of the mixture counts;
// and the slowest x found under Beta(0.5, 0.5) and under Beta(12.5, 1.5)
// with Beta(30, 2) (a scan in steps of 250).
void BM_Exact_BayesPrevalenceHeavy(benchmark::State& state) {
  struct Case {
    int32_t positives;
    double priors[6];
  };
  static const Case kCases[] = {{3000, {1, 1, 85, 15, 97, 3}},
                                {5000, {1, 1, 1, 1, 1, 1}},
                                {4750, {1, 1, 0.5, 0.5, 0.5, 0.5}},
                                {5750, {1, 1, 12.5, 1.5, 30, 2}}};
  const Case& c = kCases[state.range(0)];
  for (auto _ : state) {
    QuorbelExactBayes r;
    benchmark::DoNotOptimize(QuorbelExact_BayesPrevalence(c.positives, 10000, c.priors, 95, 0.1, &r));
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_Exact_BayesPrevalenceHeavy)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The Blaker and Sterne intervals: 7 of 40, 18 of 150, 5,000 of 10,000 (one
// search serves both ends) and 3,500 of 10,000 (the slowest of n 10,000).
void BM_Exact_AcceptabilityIntervals(benchmark::State& state) {
  const int32_t sample = static_cast<int32_t>(state.range(0)), positives = static_cast<int32_t>(state.range(1));
  for (auto _ : state) {
    QuorbelExactInterval blaker, sterne;
    benchmark::DoNotOptimize(QuorbelExact_AcceptabilityIntervals(positives, sample, 95, &blaker, &sterne));
    benchmark::DoNotOptimize(blaker);
    benchmark::DoNotOptimize(sterne);
  }
}
BENCHMARK(BM_Exact_AcceptabilityIntervals)->Args({40, 7})->Args({150, 18})->Args({10000, 5000})
    ->Args({10000, 3500})->Unit(benchmark::kMicrosecond);

}  // namespace
