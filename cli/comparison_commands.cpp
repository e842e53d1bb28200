// Commands of the comparison family: two proportions, true prevalence, and
// the estimation of a mean.
#include <cstdio>

#include "command.h"
#include "output.h"

namespace quorbel::cli {
namespace {

constexpr const char* kInclusive = "a proportion, 0.000001 <= value <= 1";
constexpr const char* kPositive = "a value of at least 0.000001";

QuorbelResult RunCompareSampleSize(const host::Api& api, const Args& args) {
  const float p1 = args.Float("--p1"), p2 = args.Float("--p2");
  const int confidence = args.Int("--confidence"), power = args.Int("--power");
  ComparisonSampleSizeResult r;
  const QuorbelResult code = api.Comparison_SampleSize(p1, p2, confidence, power, &r);
  if (code != QUORBEL_OK) return code;
  if (args.json()) {
    Json().Begin().Int("twoSided", r.twoSided).Int("oneSided", r.oneSided).End().Print();
    return code;
  }
  std::printf("Sample size per group to compare two proportions\n"
              "p1 %s, p2 %s, confidence %d %%, power %d %%\n\n",
              FloatText(p1).c_str(), FloatText(p2).c_str(), confidence, power);
  PrintTable({"test", "animals per group"},
             {{"two-sided", std::to_string(r.twoSided)}, {"one-sided", std::to_string(r.oneSided)}});
  return code;
}

QuorbelResult RunCompareInterval(const host::Api& api, const Args& args) {
  const float p1 = args.Float("--p1"), p2 = args.Float("--p2");
  ComparisonIntervalResult r;
  const QuorbelResult code = api.Comparison_ConfidenceInterval(p1, args.Int("--size1"), p2, args.Int("--size2"), &r);
  if (code != QUORBEL_OK) return code;
  struct Row {
    int level;
    float lower, upper;
    bool significant;
  };
  const Row rows[] = {{90, r.lower90, r.upper90, r.significant90 != 0},
                      {95, r.lower95, r.upper95, r.significant95 != 0},
                      {99, r.lower99, r.upper99, r.significant99 != 0}};
  if (args.json()) {
    Json json;
    json.Begin().Float("difference", r.difference).BeginArray("intervals");
    for (const Row& row : rows)
      json.Begin().Int("confidence", row.level).Float("lower", row.lower).Float("upper", row.upper)
          .Bool("significant", row.significant).End();
    json.EndArray().End().Print();
    return code;
  }
  std::printf("Difference between two proportions, p2 - p1 = %s\n\n", FloatText(r.difference).c_str());
  std::vector<std::vector<std::string>> table;
  for (const Row& row : rows)
    table.push_back({std::to_string(row.level) + " %", FloatText(row.lower), FloatText(row.upper),
                     row.significant ? "significant" : "not significant"});
  PrintTable({"confidence", "lower limit", "upper limit", ""}, table);
  return code;
}

QuorbelResult RunTruePrevalence(const host::Api& api, const Args& args) {
  const float apparent = args.Float("--apparent");
  TruePrevalenceResult r;
  const QuorbelResult code =
      api.True_Prevelance(apparent, args.Float("--sensitivity"), args.Float("--specificity"), &r);
  if (code != QUORBEL_OK) return code;
  if (args.json()) {
    Json().Begin().Float("truePrevalence", r.truePrevalence).Bool("negative", r.negative != 0).End().Print();
    return code;
  }
  std::printf("True prevalence (Rogan-Gladen) from an apparent prevalence of %s\n\n  true prevalence  %s%s\n",
              FloatText(apparent).c_str(), FloatText(r.truePrevalence).c_str(),
              r.negative ? "  (negative: fewer reactors than false positives would explain)" : "");
  return code;
}

QuorbelResult RunMeanSampleSize(const host::Api& api, const Args& args) {
  const float error = args.Float("--error"), sd = args.Float("--sd");
  const int confidence = args.Int("--confidence"), population = args.Int("--population");
  int32_t sizes[QUORBEL_LADDER_RESULTS];
  const QuorbelResult code = api.Estimating_SampleSize(error, confidence, sd, population, sizes);
  if (code != QUORBEL_OK) return code;
  if (!args.json())
    std::printf("Sample size to estimate a mean\naccepted error %s, standard deviation %s, confidence %d %%\n\n",
                FloatText(error).c_str(), FloatText(sd).c_str(), confidence);
  PrintLadderTable(args, population, sizes[QUORBEL_LADDER_RESULTS - 1], sizes, sizes[QUORBEL_LADDER_SIZES]);
  return code;
}

QuorbelResult RunMeanInterval(const host::Api& api, const Args& args) {
  const float mean = args.Float("--mean");
  IntervalResult r;
  const QuorbelResult code = api.Estimating_ConfidenceInterval(mean, args.Float("--sd"), args.Int("--sample"),
                                                               args.Int("--population"), args.Int("--confidence"), &r);
  if (code != QUORBEL_OK) return code;
  if (args.json()) {
    Json().Begin().Float("mean", mean).Float("lower", r.lower).Float("upper", r.upper).End().Print();
    return code;
  }
  std::printf("Confidence interval of a mean\n\n");
  PrintTable({"mean", "lower limit", "upper limit"}, {{FloatText(mean), FloatText(r.lower), FloatText(r.upper)}});
  return code;
}

}  // namespace

void AddComparisonCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"compare", "sample-size", "animals per group to detect a difference between two proportions",
       {{"--p1", kInclusive}, {"--p2", "a proportion, p1 <= value <= 1"}, {"--confidence", kConfidenceText},
        {"--power", "80, 85, 90 or 95"}},
       {{QUORBEL_E_FIRST_PROPORTION, "--p1", kInclusive},
        {QUORBEL_E_SECOND_PROPORTION, "--p2", kInclusive},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidenceText},
        {QUORBEL_E_POWER, "--power", "80, 85, 90 or 95"},
        {QUORBEL_E_PROPORTION_ORDER, "--p2", "at least --p1"}},
       RunCompareSampleSize});
  commands.push_back(
      {"compare", "interval", "difference of two proportions with its 90, 95 and 99 % intervals",
       {{"--p1", kInclusive}, {"--size1", "animals in group 1, at least 1"},
        {"--p2", "a proportion, p1 <= value <= 1"}, {"--size2", "animals in group 2, at least 1"}},
       {{QUORBEL_E_FIRST_PROPORTION, "--p1", kInclusive},
        {QUORBEL_E_SECOND_PROPORTION, "--p2", kInclusive},
        {QUORBEL_E_FIRST_SAMPLE, "--size1", "at least 1"},
        {QUORBEL_E_SECOND_SAMPLE, "--size2", "at least 1"},
        {QUORBEL_E_PROPORTION_ORDER, "--p2", "at least --p1"}},
       RunCompareInterval});
  commands.push_back(
      {"prevalence", "true", "true prevalence behind the apparent prevalence of an imperfect test",
       {{"--apparent", kInclusive}, {"--sensitivity", kInclusive}, {"--specificity", kInclusive}},
       {{QUORBEL_E_TEST_PREVALENCE, "--apparent", kInclusive},
        {QUORBEL_E_SENSITIVITY, "--sensitivity", kInclusive},
        {QUORBEL_E_SPECIFICITY, "--specificity", "a proportion 0.000001 <= value <= 1, with sensitivity + specificity not 1"}},
       RunTruePrevalence});
  commands.push_back(
      {"mean", "sample-size", "animals to measure to estimate a mean",
       {{"--error", "accepted error in the unit of the variable, at least 0.000001"}, {"--sd", "standard deviation, at least 0.000001"},
        {"--confidence", kConfidenceText}, {"--population", "a whole number, at least 1"}},
       {{QUORBEL_E_ACCEPTED_ERROR, "--error", kPositive},
        {QUORBEL_E_STANDARD_DEVIATION, "--sd", kPositive},
        {QUORBEL_E_POPULATION, "--population", "at least 1"},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidenceText}},
       RunMeanSampleSize});
  commands.push_back(
      {"mean", "interval", "confidence interval of a mean",
       {{"--mean", "the sample mean, at least 0.000001"}, {"--sd", "standard deviation, at least 0.000001"},
        {"--sample", "animals measured, at least 1"}, {"--population", "at least --sample"},
        {"--confidence", kConfidenceText}},
       {{QUORBEL_E_MEAN, "--mean", kPositive},
        {QUORBEL_E_STANDARD_DEVIATION, "--sd", kPositive},
        {QUORBEL_E_SAMPLE_TOO_SMALL, "--sample", "at least 1"},
        {QUORBEL_E_POPULATION, "--population", "at least 1"},
        {QUORBEL_E_POPULATION_TOO_SMALL, "--population", "at least --sample"},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidenceText}},
       RunMeanInterval});
}

}  // namespace quorbel::cli
