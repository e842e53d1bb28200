// Commands of the prevalence family: sample sizes and confidence intervals.
#include <cstdio>

#include "command.h"
#include "output.h"

namespace quorbel::cli {
namespace {

// Shared option texts.
constexpr const char* kProportion = "a proportion, 0.000001 <= value < 1";
constexpr const char* kConfidence = "a whole percentage, 90 to 99";

constexpr int kLadder[QUORBEL_LADDER_SIZES] = {50,   100,  150,  200,  300,  400,  500, 750,
                                               1000, 1500, 2000, 3500, 5000, 7500, 10000};

QuorbelResult RunSimpleRandom(const host::Api& api, const Args& args) {
  const float prevalence = args.Float("--prevalence");
  const float precision = args.Float("--precision");
  const int confidence = args.Int("--confidence");
  const int population = args.Int("--population");
  int32_t sizes[QUORBEL_LADDER_RESULTS];
  const QuorbelResult code = api.SampleSize_SimpleRandom(prevalence, precision, confidence, population, sizes);
  if (code != QUORBEL_OK) return code;

  if (args.json()) {
    Json json;
    json.Begin().Float("prevalence", prevalence).Float("precision", precision)
        .Int("confidence", confidence).Begin("population").Int("size", population)
        .Int("sampleSize", sizes[0]).End().BeginArray("ladder");
    for (int i = 0; i < QUORBEL_LADDER_SIZES; ++i)
      json.Begin().Int("population", kLadder[i]).Int("sampleSize", sizes[i + 1]).End();
    json.EndArray().Int("infinitePopulation", sizes[QUORBEL_LADDER_RESULTS - 1]).End().Print();
    return code;
  }
  std::printf("Sample size to estimate a prevalence, simple random sampling\n"
              "expected prevalence %s, relative precision %s, confidence %d %%\n\n",
              FloatText(prevalence).c_str(), FloatText(precision).c_str(), confidence);
  std::vector<std::vector<std::string>> rows;
  rows.push_back({std::to_string(population) + " (yours)", std::to_string(sizes[0])});
  for (int i = 0; i < QUORBEL_LADDER_SIZES; ++i)
    rows.push_back({std::to_string(kLadder[i]), std::to_string(sizes[i + 1])});
  rows.push_back({"infinite", std::to_string(sizes[QUORBEL_LADDER_RESULTS - 1])});
  PrintTable({"population", "sample size"}, rows);
  return code;
}

}  // namespace

void AddPrevalenceCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"sample-size", "simple-random", "animals to examine to estimate a prevalence",
       {{"--prevalence", kProportion}, {"--precision", "relative precision, 0.000001 <= value < 1"},
        {"--confidence", kConfidence}, {"--population", "a whole number, at least 1"}},
       {{QUORBEL_E_PREVALENCE, "--prevalence", kProportion},
        {QUORBEL_E_PRECISION, "--precision", kProportion},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidence},
        {QUORBEL_E_POPULATION, "--population", "at least 1"}},
       RunSimpleRandom});
}

}  // namespace quorbel::cli
