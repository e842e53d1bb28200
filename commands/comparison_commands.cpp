// Commands of the comparison family: two proportions, true prevalence, and
// the estimation of a mean.
#include <cstdio>

#include "command.h"
#include "exact.h"
#include "output.h"

namespace quorbel::commands {
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
    ValueBuilder().Begin().Int("twoSided", r.twoSided).Int("oneSided", r.oneSided).End().Deliver();
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
    ValueBuilder json;
    json.Begin().Float("difference", r.difference).BeginArray("intervals");
    for (const Row& row : rows)
      json.Begin().Int("confidence", row.level).Float("lower", row.lower).Float("upper", row.upper)
          .Bool("significant", row.significant).End();
    json.EndArray().End().Deliver();
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

// The exact part of "prevalence true" from x reactors of n tested: the
// estimate with Wilson and Clopper-Pearson limits, kept within 0..1.
QuorbelExactTruePrevalence ExactTruePrevalence(const Args& args, int x, int n, double level) {
  QuorbelExactTruePrevalence e{};
  CheckExact(QuorbelExact_TruePrevalence(x, n, args.Double("--sensitivity"), args.Double("--specificity"), level, &e),
             "true prevalence with limits");
  return e;
}

QuorbelResult RunTruePrevalence(const host::Api& api, const Args& args) {
  const bool counted = args.Has("--positives") || args.Has("--tested");
  if (counted == args.Has("--apparent"))
    throw UsageError("--apparent", "give either --apparent, or --positives and --tested (with --confidence)");
  QuorbelExactTruePrevalence exact{};
  double level = 95;
  float apparent;
  if (counted) {
    if (!args.Has("--positives") || !args.Has("--tested")) throw UsageError("--positives", "--positives and --tested go together");
    const int x = args.Int("--positives"), n = args.Int("--tested");
    level = args.Double("--confidence");
    exact = ExactTruePrevalence(args, x, n, level);
    apparent = static_cast<float>(exact.apparent);
  } else {
    apparent = args.Float("--apparent");
  }
  // The classic calculation answers beside the exact part when the apparent
  // prevalence passes its checks (x = 0, say, does not).
  TruePrevalenceResult r;
  const QuorbelResult code =
      api.True_Prevelance(apparent, args.Float("--sensitivity"), args.Float("--specificity"), &r);
  if (code != QUORBEL_OK && !counted) return code;
  const bool classic = code == QUORBEL_OK;
  WarnIfWorseThanChance(args.Double("--sensitivity"), args.Double("--specificity"));
  if (counted && !exact.valid)
    Warn("apparent-outside-test-range", "the apparent prevalence lies outside 1 - specificity .. sensitivity, where "
                                        "the estimate is valid; it has been kept within 0..1");
  if (args.json()) {
    ValueBuilder json;
    json.Begin();
    if (classic) json.Float("truePrevalence", r.truePrevalence).Bool("negative", r.negative != 0);
    if (counted)
      json.Double("apparent", exact.apparent).Double("estimate", exact.estimate)
          .Interval("wilson", exact.wilson.lower, exact.wilson.upper)
          .Interval("clopperPearson", exact.clopperPearson.lower, exact.clopperPearson.upper)
          .Bool("valid", exact.valid != 0);
    json.End().Deliver();
    return QUORBEL_OK;
  }
  std::printf("True prevalence (Rogan-Gladen) from an apparent prevalence of %s\n\n", FloatText(apparent).c_str());
  if (classic)
    std::printf("  true prevalence  %s%s\n", FloatText(r.truePrevalence).c_str(),
                r.negative ? "  (negative: fewer reactors than false positives would explain)" : "");
  if (counted) {
    std::printf("\nWithin 0..1, with %s %% limits:\n\n  estimate         %s\n"
                "  Wilson           %s to %s\n  Clopper-Pearson  %s to %s\n",
                DoubleText(level).c_str(), DoubleText(exact.estimate).c_str(), DoubleText(exact.wilson.lower).c_str(),
                DoubleText(exact.wilson.upper).c_str(), DoubleText(exact.clopperPearson.lower).c_str(),
                DoubleText(exact.clopperPearson.upper).c_str());
  }
  return QUORBEL_OK;
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
    ValueBuilder().Begin().Float("mean", mean).Float("lower", r.lower).Float("upper", r.upper).End().Deliver();
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
       {{"--p1", OptionKind::kProportion, kInclusive}, {"--p2", OptionKind::kProportion, "a proportion, p1 <= value <= 1"}, {"--confidence", OptionKind::kLevel, kConfidenceText, true, "95"},
        {"--power", OptionKind::kLevel, "80, 85, 90 or 95", true, "80"}},
       {{QUORBEL_E_FIRST_PROPORTION, "--p1", kInclusive},
        {QUORBEL_E_SECOND_PROPORTION, "--p2", kInclusive},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidenceText},
        {QUORBEL_E_POWER, "--power", "80, 85, 90 or 95"},
        {QUORBEL_E_PROPORTION_ORDER, "--p2", "at least --p1"}},
       RunCompareSampleSize, {}, ZRule::kClassic});
  commands.push_back(
      {"compare", "interval", "difference of two proportions with its 90, 95 and 99 % intervals",
       {{"--p1", OptionKind::kProportion, kInclusive}, {"--size1", OptionKind::kCount, "animals in group 1, at least 1"},
        {"--p2", OptionKind::kProportion, "a proportion, p1 <= value <= 1"}, {"--size2", OptionKind::kCount, "animals in group 2, at least 1"}},
       {{QUORBEL_E_FIRST_PROPORTION, "--p1", kInclusive},
        {QUORBEL_E_SECOND_PROPORTION, "--p2", kInclusive},
        {QUORBEL_E_FIRST_SAMPLE, "--size1", "at least 1"},
        {QUORBEL_E_SECOND_SAMPLE, "--size2", "at least 1"},
        {QUORBEL_E_PROPORTION_ORDER, "--p2", "at least --p1"}},
       RunCompareInterval});
  commands.push_back(
      {"prevalence", "true", "true prevalence behind the apparent prevalence of an imperfect test",
       {{"--apparent", OptionKind::kProportion, "apparent prevalence, 0.000001 <= value <= 1 (or give --positives and --tested)", true},
        {"--positives", OptionKind::kCount, "reactors found, 0 to --tested", true},
        {"--tested", OptionKind::kCount, "animals tested, at least 1", true},
        {"--confidence", OptionKind::kLevel, "a percentage from 50 to 99.99, with --positives", true, "95"},
        {"--sensitivity", OptionKind::kProportion, kInclusive}, {"--specificity", OptionKind::kProportion, kInclusive}},
       {{QUORBEL_E_TEST_PREVALENCE, "--apparent", kInclusive},
        {QUORBEL_E_SENSITIVITY, "--sensitivity", kInclusive},
        {QUORBEL_E_SPECIFICITY, "--specificity", "a proportion 0.000001 <= value <= 1, with sensitivity + specificity not 1"}},
       RunTruePrevalence, {}, ZRule::kExact});
  commands.push_back(
      {"mean", "sample-size", "animals to measure to estimate a mean",
       {{"--error", OptionKind::kReal, "accepted error in the unit of the variable, at least 0.000001"}, {"--sd", OptionKind::kReal, "standard deviation, at least 0.000001"},
        {"--confidence", OptionKind::kLevel, kConfidenceText, true, "95"}, {"--population", OptionKind::kCount, "a whole number, at least 1"}},
       {{QUORBEL_E_ACCEPTED_ERROR, "--error", kPositive},
        {QUORBEL_E_STANDARD_DEVIATION, "--sd", kPositive},
        {QUORBEL_E_POPULATION, "--population", "at least 1"},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidenceText}},
       RunMeanSampleSize, {}, ZRule::kClassic});
  commands.push_back(
      {"mean", "interval", "confidence interval of a mean",
       {{"--mean", OptionKind::kReal, "the sample mean, at least 0.000001"}, {"--sd", OptionKind::kReal, "standard deviation, at least 0.000001"},
        {"--sample", OptionKind::kCount, "animals measured, at least 1"}, {"--population", OptionKind::kCount, "at least --sample"},
        {"--confidence", OptionKind::kLevel, kConfidenceText, true, "95"}},
       {{QUORBEL_E_MEAN, "--mean", kPositive},
        {QUORBEL_E_STANDARD_DEVIATION, "--sd", kPositive},
        {QUORBEL_E_SAMPLE_TOO_SMALL, "--sample", "at least 1"},
        {QUORBEL_E_POPULATION, "--population", "at least 1"},
        {QUORBEL_E_POPULATION_TOO_SMALL, "--population", "at least --sample"},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidenceText}},
       RunMeanInterval, {}, ZRule::kClassic});
}

}  // namespace quorbel::commands
