// Commands of the comparison family: two proportions, true prevalence, and
// the estimation of a mean.
#include <algorithm>

#include "command.h"
#include "exact.h"
#include "output.h"

namespace quorbel::commands {
namespace {

constexpr const char* kInclusive = "a proportion, 0.000001 <= value <= 1";
constexpr const char* kPositive = "a value of at least 0.000001";

QuorbelResult RunCompareSampleSize(const host::Api& api, const Args& args) {
  ComparisonSampleSizeResult r;
  const QuorbelResult code = api.Comparison_SampleSize(args.Float("--p1"), args.Float("--p2"), args.Int("--confidence"),
                                                       args.Int("--power"), &r);
  if (code == QUORBEL_OK)
    ValueBuilder().Begin().Int("twoSided", r.twoSided).Int("oneSided", r.oneSided).End().Deliver();
  return code;
}

std::string CompareSampleSizeText(const Value& answer) {
  const Value& settings = At(answer, "settings");
  return Format("Sample size per group to compare two proportions\n"
                "p1 %s, p2 %s, confidence %s %%, power %s %%\n\n",
                FloatText(static_cast<float>(Number(settings, "p1"))).c_str(),
                FloatText(static_cast<float>(Number(settings, "p2"))).c_str(), Shown(settings, "confidence").c_str(),
                Shown(settings, "power").c_str()) +
         TableText({"test", "animals per group"},
                   {{"two-sided", Shown(answer, "twoSided")}, {"one-sided", Shown(answer, "oneSided")}});
}

QuorbelResult RunCompareInterval(const host::Api& api, const Args& args) {
  ComparisonIntervalResult r;
  const QuorbelResult code = api.Comparison_ConfidenceInterval(args.Float("--p1"), args.Int("--size1"),
                                                               args.Float("--p2"), args.Int("--size2"), &r);
  if (code != QUORBEL_OK) return code;
  struct Row {
    int level;
    float lower, upper;
    bool significant;
  };
  const Row rows[] = {{90, r.lower90, r.upper90, r.significant90 != 0},
                      {95, r.lower95, r.upper95, r.significant95 != 0},
                      {99, r.lower99, r.upper99, r.significant99 != 0}};
  ValueBuilder json;
  json.Begin().Float("difference", r.difference).BeginArray("intervals");
  for (const Row& row : rows)
    json.Begin().Int("confidence", row.level).Float("lower", row.lower).Float("upper", row.upper)
        .Bool("significant", row.significant).End();
  json.EndArray().End().Deliver();
  return code;
}

std::string CompareIntervalText(const Value& answer) {
  std::vector<std::vector<std::string>> table;
  for (const Value& row : At(answer, "intervals").items)
    table.push_back({Shown(row, "confidence") + " %", Shown(row, "lower"), Shown(row, "upper"),
                     At(row, "significant").boolean ? "significant" : "not significant"});
  return Format("Difference between two proportions, p2 - p1 = %s\n\n", Shown(answer, "difference").c_str()) +
         TableText({"confidence", "lower limit", "upper limit", ""}, table);
}

// The exact part of "prevalence true" from x reactors of n tested: the
// estimate with Wilson and Clopper-Pearson limits, kept within 0..1.
QuorbelExactTruePrevalence ExactTruePrevalence(const Args& args, int x, int n, double level) {
  QuorbelExactTruePrevalence e{};
  CheckExact(QuorbelExact_TruePrevalence(x, n, args.Double("--sensitivity"), args.Double("--specificity"), level, &e),
             "true prevalence with limits");
  return e;
}

// The Blaker limits of the apparent prevalence, carried through
// (AP + Sp - 1) / (Se + Sp - 1) and kept within 0..1; warns when the whole
// interval of AP lies below 1 - Sp, where the limits say 0 to 0.
QuorbelExactInterval BlakerTruePrevalence(const Args& args, int x, int n, double level) {
  QuorbelExactInterval blaker{}, sterne{};
  CheckExact(QuorbelExact_AcceptabilityIntervals(x, n, level, &blaker, &sterne), "Blaker limits");
  const double se = args.Double("--sensitivity"), sp = args.Double("--specificity");
  auto carried = [&](double ap) { return std::clamp((ap + sp - 1.0) / (se + sp - 1.0), 0.0, 1.0); };
  if (blaker.upper < 1.0 - sp)
    Warn("false-positives-exceed-reactors",
         "even the upper limit of the apparent prevalence, " + DoubleText(blaker.upper) +
             ", lies below 1 - specificity = " + DoubleText(1.0 - sp) +
             ": the test's false positives alone would explain more reactors than were seen, so the limits of 0 to 0 "
             "say that the data and the stated specificity disagree, not that the prevalence is surely 0; "
             "prevalence bayes, with a prior on the specificity, gives an answer that means something");
  return {carried(blaker.lower), carried(blaker.upper)};
}

QuorbelResult RunTruePrevalence(const host::Api& api, const Args& args) {
  const bool counted = args.Has("--positives") || args.Has("--tested");
  if (counted == args.Has("--apparent"))
    throw UsageError("--apparent", "give either --apparent, or --positives and --tested (with --confidence)");
  QuorbelExactTruePrevalence exact{};
  QuorbelExactInterval blaker{};
  float apparent;
  if (counted) {
    if (!args.Has("--positives") || !args.Has("--tested"))
      throw UsageError("--positives", "--positives and --tested go together");
    exact = ExactTruePrevalence(args, args.Int("--positives"), args.Int("--tested"), args.Double("--confidence"));
    blaker = BlakerTruePrevalence(args, args.Int("--positives"), args.Int("--tested"), args.Double("--confidence"));
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
  WarnIfWorseThanChance(args.Double("--sensitivity"), args.Double("--specificity"));
  if (counted && !exact.valid)
    Warn("apparent-outside-test-range", "the apparent prevalence lies outside 1 - specificity .. sensitivity, where "
                                        "the estimate is valid; it has been kept within 0..1");
  ValueBuilder json;
  json.Begin();
  if (code == QUORBEL_OK) json.Float("truePrevalence", r.truePrevalence).Bool("negative", r.negative != 0);
  if (counted)
    json.Double("apparent", exact.apparent).Double("estimate", exact.estimate)
        .Interval("wilson", exact.wilson.lower, exact.wilson.upper)
        .Interval("clopperPearson", exact.clopperPearson.lower, exact.clopperPearson.upper)
        .Interval("blaker", blaker.lower, blaker.upper).Bool("valid", exact.valid != 0);
  json.End().Deliver();
  return QUORBEL_OK;
}

std::string TruePrevalenceText(const Value& answer) {
  const Value* counted = answer.Find("apparent");
  const double apparent = counted != nullptr ? counted->number : Number(At(answer, "settings"), "apparent");
  std::string text = Format("True prevalence (Rogan-Gladen) from an apparent prevalence of %s\n\n",
                            FloatText(static_cast<float>(apparent)).c_str());
  if (answer.Find("truePrevalence") != nullptr)
    text += Format("  true prevalence  %s%s\n", Shown(answer, "truePrevalence").c_str(),
                   At(answer, "negative").boolean ? "  (negative: fewer reactors than false positives would explain)"
                                                  : "");
  if (counted == nullptr) return text;
  const Value &wilson = At(answer, "wilson"), &exact = At(answer, "clopperPearson"), &blaker = At(answer, "blaker");
  text += Format("\nWithin 0..1, with %s %% limits:\n\n  estimate         %s\n"
                 "  Wilson           %s to %s\n  Clopper-Pearson  %s to %s\n  Blaker           %s to %s\n",
                 ScalarText(Setting(answer, "confidence")).c_str(), Shown(answer, "estimate").c_str(),
                 Shown(wilson, "lower").c_str(), Shown(wilson, "upper").c_str(), Shown(exact, "lower").c_str(),
                 Shown(exact, "upper").c_str(), Shown(blaker, "lower").c_str(), Shown(blaker, "upper").c_str());
  for (const Value& warning : At(answer, "warnings").items)
    if (At(warning, "kind").text == "false-positives-exceed-reactors")
      text += "\nFewer animals reacted than the test's false positives alone would explain: the limits of 0 to 0\n"
              "do not mean that the prevalence is surely 0, but that the data and the stated specificity disagree.\n"
              "prevalence bayes, with a prior on the specificity, gives an answer that means something.\n";
  return text;
}

QuorbelResult RunMeanSampleSize(const host::Api& api, const Args& args) {
  const int population = args.Int("--population");
  int32_t sizes[QUORBEL_LADDER_RESULTS];
  const QuorbelResult code =
      api.Estimating_SampleSize(args.Float("--error"), args.Int("--confidence"), args.Float("--sd"), population, sizes);
  if (code == QUORBEL_OK)
    DeliverLadder(population, sizes[QUORBEL_LADDER_RESULTS - 1], sizes, sizes[QUORBEL_LADDER_SIZES]);
  return code;
}

std::string MeanSampleSizeText(const Value& answer) {
  const Value& settings = At(answer, "settings");
  return Format("Sample size to estimate a mean\naccepted error %s, standard deviation %s, confidence %s %%\n\n",
                FloatText(static_cast<float>(Number(settings, "error"))).c_str(),
                FloatText(static_cast<float>(Number(settings, "sd"))).c_str(), Shown(settings, "confidence").c_str()) +
         LadderText(answer);
}

QuorbelResult RunMeanInterval(const host::Api& api, const Args& args) {
  const float mean = args.Float("--mean");
  IntervalResult r;
  const QuorbelResult code = api.Estimating_ConfidenceInterval(mean, args.Float("--sd"), args.Int("--sample"),
                                                               args.Int("--population"), args.Int("--confidence"), &r);
  if (code == QUORBEL_OK)
    ValueBuilder().Begin().Float("mean", mean).Float("lower", r.lower).Float("upper", r.upper).End().Deliver();
  return code;
}

std::string MeanIntervalText(const Value& answer) {
  return "Confidence interval of a mean\n\n" +
         TableText({"mean", "lower limit", "upper limit"},
                   {{Shown(answer, "mean"), Shown(answer, "lower"), Shown(answer, "upper")}});
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
       RunCompareSampleSize, CompareSampleSizeText, {}, ZRule::kClassic});
  commands.push_back(
      {"compare", "interval", "difference of two proportions with its 90, 95 and 99 % intervals",
       {{"--p1", OptionKind::kProportion, kInclusive}, {"--size1", OptionKind::kCount, "animals in group 1, at least 1"},
        {"--p2", OptionKind::kProportion, "a proportion, p1 <= value <= 1"}, {"--size2", OptionKind::kCount, "animals in group 2, at least 1"}},
       {{QUORBEL_E_FIRST_PROPORTION, "--p1", kInclusive},
        {QUORBEL_E_SECOND_PROPORTION, "--p2", kInclusive},
        {QUORBEL_E_FIRST_SAMPLE, "--size1", "at least 1"},
        {QUORBEL_E_SECOND_SAMPLE, "--size2", "at least 1"},
        {QUORBEL_E_PROPORTION_ORDER, "--p2", "at least --p1"}},
       RunCompareInterval, CompareIntervalText});
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
       RunTruePrevalence, TruePrevalenceText, {}, ZRule::kExact});
  commands.push_back(
      {"mean", "sample-size", "animals to measure to estimate a mean",
       {{"--error", OptionKind::kReal, "accepted error in the unit of the variable, at least 0.000001"}, {"--sd", OptionKind::kReal, "standard deviation, at least 0.000001"},
        {"--confidence", OptionKind::kLevel, kConfidenceText, true, "95"}, {"--population", OptionKind::kCount, "a whole number, at least 1"}},
       {{QUORBEL_E_ACCEPTED_ERROR, "--error", kPositive},
        {QUORBEL_E_STANDARD_DEVIATION, "--sd", kPositive},
        {QUORBEL_E_POPULATION, "--population", "at least 1"},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidenceText}},
       RunMeanSampleSize, MeanSampleSizeText, {}, ZRule::kClassic});
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
       RunMeanInterval, MeanIntervalText, {}, ZRule::kClassic});
}

}  // namespace quorbel::commands
