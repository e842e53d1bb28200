// What the commands library adds to a calculation, as the bindings call it:
// one "detect evaluate" through RunGiven (arguments read by kind, the answer
// built as a value with its settings) against the bare exact-layer call in
// exact_bench.cpp (BM_Exact_Evaluate/1000/269/9).
#include <benchmark/benchmark.h>

#include "binding.h"
#include "linked_api.h"

namespace {

using quorbel::commands::Given;

void BM_Commands_DetectEvaluate(benchmark::State& state) {
  const quorbel::commands::Command& command = *quorbel::commands::FindCommand("detect", "evaluate");
  quorbel::commands::GivenOptions options;
  const std::pair<const char*, double> values[] = {{"population", 1000}, {"sample", 269}, {"prevalence", 0.01},
                                                   {"sensitivity", 0.95}, {"specificity", 0.98},
                                                   {"positive_at", 9}};
  for (const auto& [argument, value] : values)
    options.emplace_back(quorbel::commands::OptionByArgument(command, argument), Given::Number(value));
  for (auto _ : state) {
    quorbel::commands::Answer answer =
        quorbel::commands::RunGiven(quorbel::host::LinkedApi(), command, {}, options);
    benchmark::DoNotOptimize(answer);
  }
}
BENCHMARK(BM_Commands_DetectEvaluate)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// The bindings' vector: 100,000 runs with the sample changing (as
// BM_Exact_EvaluateVector), gathered into columns.
void BM_Commands_DetectEvaluateVector(benchmark::State& state) {
  const quorbel::commands::Command& command = *quorbel::commands::FindCommand("detect", "evaluate");
  quorbel::commands::GivenOptions fixed, changing;
  const std::pair<const char*, double> values[] = {{"population", 1000}, {"prevalence", 0.01}, {"sensitivity", 0.95},
                                                   {"specificity", 0.98}, {"positive_at", 1}};
  for (const auto& [argument, value] : values)
    fixed.emplace_back(quorbel::commands::OptionByArgument(command, argument), Given::Number(value));
  changing.emplace_back(quorbel::commands::OptionByArgument(command, "sample"), Given::Number(10));
  for (auto _ : state) {
    quorbel::commands::GivenRunner runner(quorbel::host::LinkedApi(), command, {}, fixed);
    quorbel::commands::Columns table(100000);
    for (int i = 0; i < 100000; ++i) {
      changing[0].second = Given::Number(10 + i % 260);
      table.Add(runner.Run(changing).value);
    }
    benchmark::DoNotOptimize(table);
  }
}
BENCHMARK(BM_Commands_DetectEvaluateVector)->Unit(benchmark::kMillisecond);

}  // namespace
