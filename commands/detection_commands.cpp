// Commands of the detection family: sample sizes to show that a disease is
// absent, and the highest prevalence a negative sample could have missed.
#include <cstdio>

#include <algorithm>
#include <cmath>

#include "command.h"
#include "exact.h"
#include "output.h"

namespace quorbel::commands {
namespace {

constexpr const char* kGiven = "a proportion, 0.000001 <= value <= 1";

// The test options both sample-size commands share.
struct Tests {
  float se1, sp1, se2, sp2, risk;
  int combination;
};

Tests ReadTests(const Args& args) {
  int combination = 0;
  if (args.Has("--combination")) {
    const std::string& word = args.Text("--combination");
    if (!args.Has("--sensitivity2") || !args.Has("--specificity2"))
      throw UsageError("--combination", "--combination needs a second test: --sensitivity2 and --specificity2");
    combination = word == "parallel" ? 2 : 1;
  }
  WarnIfWorseThanChance(args.Double("--sensitivity"), args.Double("--specificity"));
  return {args.Float("--sensitivity"), args.Float("--specificity"), args.FloatOr("--sensitivity2", 0.0f),
          args.FloatOr("--specificity2", 0.0f), args.Float("--false-positive-risk"), combination};
}

const std::vector<Option> kTestOptions = {
    {"--sensitivity", OptionKind::kProportion, "sensitivity of the test, 0.000001 <= value <= 1"},
    {"--specificity", OptionKind::kProportion, "specificity of the test, 0.000001 <= value <= 1"},
    {"--sensitivity2", OptionKind::kProportion, "sensitivity of a second test", true},
    {"--specificity2", OptionKind::kProportion, "specificity of a second test", true},
    {"--combination", OptionKind::kChoice, "parallel or serial, with a second test", true, nullptr, "parallel|serial"},
    {"--false-positive-risk", OptionKind::kProportion, "accepted risk of more reactors than the cut-off", true, "0.05"},
};

const std::vector<CodeBlame> kTestBlames = {
    {QUORBEL_E_FALSE_POSITIVE_RISK, "--false-positive-risk", kGiven},
    {QUORBEL_E_SENSITIVITY, "--sensitivity or --sensitivity2", "a proportion 0.000001 <= value <= 1, "
                                                               "given for a second test with --specificity2"},
    {QUORBEL_E_SPECIFICITY, "--specificity or --specificity2", "a proportion 0.000001 <= value <= 1, "
                                                               "given for a second test with --sensitivity2"},
    {QUORBEL_E_TEST_COMBINATION, "--combination", "parallel or serial when a second test is given"},
    {QUORBEL_E_CONFIDENCE, "--confidence", kConfidenceText},
};

std::vector<Option> With(std::vector<Option> first, const std::vector<Option>& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

std::vector<CodeBlame> With(std::vector<CodeBlame> first, const std::vector<CodeBlame>& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

std::string CutOffText(bool found, int32_t cutOff) {
  return found ? std::to_string(cutOff) : "none (no count reaches the bound)";
}

// The test as typed, in double precision, for the exact layer: one test, or
// two combined as the library combines them (parallel: positive when either
// is; serial: when both are).
struct TypedTest {
  double se, sp, risk;
};

TypedTest ReadTypedTest(const Args& args, const Tests& t) {
  double se = args.Double("--sensitivity"), sp = args.Double("--specificity");
  if (t.combination != 0 && args.Has("--sensitivity2")) {
    const double se2 = args.Double("--sensitivity2"), sp2 = args.DoubleOr("--specificity2", 1.0);
    if (t.combination == 2) {
      se = 1 - (1 - se) * (1 - se2);
      sp = sp * sp2;
    } else {
      se = se * se2;
      sp = 1 - (1 - sp) * (1 - sp2);
    }
  }
  return {se, sp, args.Double("--false-positive-risk")};
}

// What the classic design (n animals, more than `cutOff` reactors positive)
// achieves, evaluated exactly; n beyond the population tests every animal.
QuorbelExactEvaluation Achieved(double population, int32_t n, double prevalence, double se, double sp,
                                int32_t cutOff) {
  const int32_t tested = static_cast<int32_t>(std::min<double>(n, population));
  QuorbelExactEvaluation e{0, 0, 1};
  if (cutOff + 1 > tested) return e;  // more reactors than animals: never positive
  CheckExact(QuorbelExact_Evaluate(population, tested, prevalence, se, sp, cutOff + 1, &e), "exact evaluation");
  return e;
}

QuorbelResult RunDetectSampleSize(const host::Api& api, const Args& args) {
  const Tests t = ReadTests(args);
  const float prevalence = args.Float("--prevalence");
  const int population = args.Int("--population"), confidence = args.Int("--confidence");
  DetectionSampleSizeResult r;
  r.reactorCutOff = -1;
  const QuorbelResult code = api.DetectingEvent_SampleSize_SimpleRandom(
      prevalence, population, confidence, t.se1, t.sp1, t.se2, t.sp2, &r, t.risk, t.combination);
  if (code != QUORBEL_OK) return code;
  const bool found = r.reactorCutOff >= 0;
  const TypedTest typed = ReadTypedTest(args, t);
  const double typedPrevalence = args.Double("--prevalence");
  QuorbelExactEvaluation achieved{};
  if (found) achieved = Achieved(population, r.sampleSize, typedPrevalence, typed.se, typed.sp, r.reactorCutOff);
  const QuorbelExactDesign exact =
      ExactDesign(population, typedPrevalence, typed.se, typed.sp, confidence, 1.0 - typed.risk);
  WarnIfShort(found ? achieved.populationSensitivity : 0.0, found ? achieved.populationSpecificity : 1.0, confidence, typed.risk);
  static const char* kRows[] = {"50", "100", "250", "500", "1000", "2000", "5000", "10000000"};
  static const char* kColumns[] = {"10 %", "5 %", "2 %", "1 %", "0.5 %", "0.1 %"};
  if (args.json()) {
    ValueBuilder json;
    json.Begin().Int("sampleSize", r.sampleSize);
    if (found) json.Int("reactorCutOff", r.reactorCutOff);
    json.Float("sensitivity", r.sensitivity).Float("specificity", r.specificity).BeginArray("referenceTable");
    for (int row = 0; row < QUORBEL_REFERENCE_ROWS; ++row) {
      json.Begin().String("population", kRows[row]).BeginArray("sampleSizes");
      for (int column = 0; column < QUORBEL_REFERENCE_COLUMNS; ++column)
        json.Float(nullptr, r.referenceTable[row * QUORBEL_REFERENCE_COLUMNS + column]);
      json.EndArray().End();
    }
    json.EndArray();
    if (found)
      json.Begin("achieved").Double("populationSensitivity", achieved.populationSensitivity)
          .Double("populationSpecificity", achieved.populationSpecificity).End();
    WriteDesign(json, "exact", exact);
    json.End().Deliver();
    return code;
  }
  std::printf("Sample size to detect disease, simple random sampling\n"
              "design prevalence %s, population %d, confidence %d %%\n\n"
              "  animals to sample    %d\n  reactor cut-off      %s\n"
              "  test sensitivity     %s\n  test specificity     %s\n\n"
              "Reference sample sizes for this test sensitivity and confidence level:\n",
              FloatText(prevalence).c_str(), population, confidence, r.sampleSize,
              CutOffText(found, r.reactorCutOff).c_str(), FloatText(r.sensitivity).c_str(),
              FloatText(r.specificity).c_str());
  std::vector<std::vector<std::string>> rows;
  for (int row = 0; row < QUORBEL_REFERENCE_ROWS; ++row) {
    rows.push_back({kRows[row]});
    for (int column = 0; column < QUORBEL_REFERENCE_COLUMNS; ++column)
      rows.back().push_back(FloatText(r.referenceTable[row * QUORBEL_REFERENCE_COLUMNS + column]));
  }
  PrintTable({"population", kColumns[0], kColumns[1], kColumns[2], kColumns[3], kColumns[4], kColumns[5]}, rows);
  std::printf("\nWhat this design achieves, evaluated exactly (positive at %d or more reactors):\n\n", r.reactorCutOff + 1);
  if (found) {
    std::printf("  population sensitivity  %s\n  population specificity  %s\n",
                DoubleText(achieved.populationSensitivity).c_str(), DoubleText(achieved.populationSpecificity).c_str());
  } else {
    std::printf("  nothing: no cut-off was found\n");
  }
  std::printf("\nThe exact design for the same inputs (specificity target %s):\n\n", DoubleText(1.0 - typed.risk).c_str());
  PrintDesign(exact, confidence);
  return code;
}

// The herd sensitivity, a whole percentage for the library, given as 95,
// 95% or 0.95, which its kind reads as 95.
int HerdSensitivityPercent(const Args& args) {
  const std::string& text = args.Text("--herd-sensitivity");
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(value >= INT32_MIN && value <= INT32_MAX) || value != std::floor(value))
    throw UsageError("--herd-sensitivity",
                     "--herd-sensitivity '" + text + "' must be a whole percentage (95, 95% or 0.95)");
  return static_cast<int>(value);
}

QuorbelResult RunDetectTwoStage(const host::Api& api, const Args& args) {
  const Tests t = ReadTests(args);
  const int confidence = args.Int("--confidence"), herds = args.Int("--herds");
  const int herdSensitivity = HerdSensitivityPercent(args);
  TwoStageDetectionResult r;
  r.herdReactorCutOff = r.totalReactorCutOff = -1;
  const QuorbelResult code = api.DetectingEvent_SampleSize_TwoStages(
      confidence, args.Float("--herd-prevalence"), herds, args.Float("--within-herd-prevalence"),
      args.Float("--herd-size"), herdSensitivity, t.se1, t.sp1, t.se2, t.sp2, &r, t.risk, t.combination);
  if (code != QUORBEL_OK) return code;
  static const int kHerdSizes[QUORBEL_HERD_SIZES] = {50, 100, 250, 500, 750, 1000, 5000};
  const bool herdFound = r.herdReactorCutOff >= 0, totalFound = r.totalReactorCutOff >= 0;
  const double herdPrevalence = args.Double("--herd-prevalence"), within = args.Double("--within-herd-prevalence");
  const int herdSize = static_cast<int>(std::lround(std::min(2147483647.0, args.Double("--herd-size"))));
  const TypedTest typed = ReadTypedTest(args, t);
  const double se = typed.se, sp = typed.sp;
  // What the classic design achieves: herds drawn from the herd count, the
  // animals of each herd from the herd (all of them when fewer than asked).
  QuorbelExactHerdSurvey achieved{};
  const bool evaluated = herdFound && r.herdsToSample >= 1 && r.herdsToSample <= herds && r.animalsPerHerd >= 1;
  const int32_t tested = std::min(r.animalsPerHerd, herdSize);
  if (evaluated && r.herdReactorCutOff + 1 <= tested)
    CheckExact(QuorbelExact_HerdSurvey(herds, r.herdsToSample, herdPrevalence, herdSize, tested, within, se, sp,
                                       r.herdReactorCutOff + 1, &achieved),
               "exact herd survey");
  // The exact design: animals per herd for the herd sensitivity, then herds.
  const bool designable = herdSensitivity >= 50 && herdSensitivity <= 99;
  QuorbelExactDesign herdDesign{};
  int32_t herdsNeeded = 0;
  if (designable) {
    herdDesign = ExactDesign(herdSize, within, se, sp, herdSensitivity, 1.0 - typed.risk);
    if (herdDesign.reachable)
      CheckExact(QuorbelExact_HerdsNeeded(herds, herdPrevalence, herdSize, herdDesign.sampleSize, within, se, sp,
                                          herdDesign.positiveAt, confidence, &herdsNeeded),
                 "exact herds needed");
  }
  WarnIfShort(evaluated ? achieved.surveySensitivity : 0.0, evaluated ? achieved.herdSpecificity : 1.0, confidence, typed.risk);
  if (args.json()) {
    ValueBuilder json;
    json.Begin().Int("herdsToSample", r.herdsToSample).Int("animalsPerHerd", r.animalsPerHerd)
        .Int("totalAnimals", r.totalAnimals);
    if (herdFound) json.Int("herdReactorCutOff", r.herdReactorCutOff);
    if (totalFound) json.Int("totalReactorCutOff", r.totalReactorCutOff);
    json.Float("sensitivity", r.sensitivity).Float("specificity", r.specificity).BeginArray("herdSizeTable");
    for (int i = 0; i < QUORBEL_HERD_SIZES; ++i)
      json.Begin().Int("herdSize", kHerdSizes[i]).Int("animalsPerHerd", r.herdSizeTable[i]).End();
    json.EndArray();
    if (evaluated)
      json.Begin("achieved").Double("herdSensitivity", achieved.herdSensitivity)
          .Double("herdSpecificity", achieved.herdSpecificity).Double("surveySensitivity", achieved.surveySensitivity)
          .Double("surveySpecificity", achieved.surveySpecificity).End();
    if (designable) {
      json.Begin("exact");
      WriteDesign(json, "herd", herdDesign);
      json.Bool("reachable", herdsNeeded > 0);
      if (herdsNeeded > 0) json.Int("herdsToSample", herdsNeeded);
      json.End();
    }
    json.End().Deliver();
    return code;
  }
  std::printf("Sample size to detect disease, two-stage sampling (%d herds, confidence %d %%, herd sensitivity %d %%)\n\n"
              "  herds to sample           %d\n  animals per herd          %d\n  animals in all            %d\n"
              "  reactor cut-off per herd  %s\n  reactor cut-off in all    %s\n"
              "  test sensitivity          %s\n  test specificity          %s\n\nAnimals per herd by herd size:\n",
              herds, confidence, herdSensitivity, r.herdsToSample, r.animalsPerHerd, r.totalAnimals,
              CutOffText(herdFound, r.herdReactorCutOff).c_str(), CutOffText(totalFound, r.totalReactorCutOff).c_str(),
              FloatText(r.sensitivity).c_str(), FloatText(r.specificity).c_str());
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < QUORBEL_HERD_SIZES; ++i)
    rows.push_back({std::to_string(kHerdSizes[i]), std::to_string(r.herdSizeTable[i])});
  PrintTable({"herd size", "animals per herd"}, rows);
  if (evaluated) {
    std::printf("\nWhat this design achieves, evaluated exactly (a herd positive at %d or more reactors):\n\n"
                "  per herd      sensitivity %s, specificity %s\n  whole survey  sensitivity %s, specificity %s\n",
                r.herdReactorCutOff + 1, DoubleText(achieved.herdSensitivity).c_str(),
                DoubleText(achieved.herdSpecificity).c_str(), DoubleText(achieved.surveySensitivity).c_str(),
                DoubleText(achieved.surveySpecificity).c_str());
  }
  if (designable) {
    std::printf("\nThe exact design per herd (herd sensitivity %d %%):\n\n", herdSensitivity);
    PrintDesign(herdDesign, herdSensitivity);
    if (herdsNeeded > 0) std::printf("  herds to sample      %d\n", herdsNeeded);
    else if (herdDesign.reachable) std::printf("  herds to sample      none reaches %d %%, even every herd\n", confidence);
  }
  return code;
}

QuorbelResult RunMaximumPrevalence(const host::Api& api, const Args& args) {
  const int n = args.Int("--sample"), population = args.Int("--population");
  const float prevalence = args.Float("--prevalence");
  MaximumPrevalenceResult r;
  const QuorbelResult code = api.DetectingEvent_MaximumPrevalence(n, population, args.Float("--sensitivity"),
                                                                  args.Int("--confidence"), prevalence, &r);
  if (code != QUORBEL_OK) return code;
  QuorbelExactMaximum exact{};
  CheckExact(QuorbelExact_MaximumPrevalence(population, n, args.Double("--sensitivity"), args.Int("--confidence"),
                                            args.Double("--prevalence"), &exact),
             "exact maximum prevalence");
  if (args.json()) {
    ValueBuilder().Begin().Int("diseasedAnimals", r.diseasedAnimals).Float("maximumPrevalence", r.maximumPrevalence)
        .Float("detectionProbability", r.detectionProbability).Begin("exact")
        .Int("maximumDiseased", exact.maximumDiseased).Double("maximumPrevalence", exact.maximumPrevalence)
        .Double("detectionProbability", exact.detectionProbability).End().End().Deliver();
    return code;
  }
  std::printf("Highest prevalence a negative sample of %d out of %d could have missed\n\n"
              "  diseased animals     %d\n  maximum prevalence   %s\n"
              "  probability of detecting at a prevalence of %s: %s\n",
              n, population, r.diseasedAnimals, FloatText(r.maximumPrevalence).c_str(), FloatText(prevalence).c_str(),
              FloatText(r.detectionProbability).c_str());
  std::printf("  (the diseased animals are the threshold X rounded up, plus one when X is whole; the maximum\n"
              "  prevalence is X / population itself, so the two need not agree)\n");
  std::printf("\nExactly (hypergeometric sampling):\n\n  diseased animals     %d\n  maximum prevalence   %s\n"
              "  probability of detecting at a prevalence of %s: %s\n",
              exact.maximumDiseased, DoubleText(exact.maximumPrevalence).c_str(), FloatText(prevalence).c_str(),
              DoubleText(exact.detectionProbability).c_str());
  return code;
}

}  // namespace

void AddDetectionCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"detect", "sample-size", "animals to test to show that a disease is absent, with a reactor cut-off",
       With({{"--prevalence", OptionKind::kProportion, "design prevalence, 0.000001 <= value <= 1"},
             {"--population", OptionKind::kCount, "a whole number, at least 1"}, {"--confidence", OptionKind::kLevel, kConfidenceText, true, "95"}},
            kTestOptions),
       With({{QUORBEL_E_TEST_PREVALENCE, "--prevalence", kGiven}, {QUORBEL_E_POPULATION, "--population", "at least 1"}},
            kTestBlames),
       RunDetectSampleSize});
  commands.push_back(
      {"detect", "two-stage", "herds and animals per herd to test to show that a disease is absent",
       With({{"--confidence", OptionKind::kLevel, kConfidenceText, true, "95"}, {"--herds", OptionKind::kCount, "number of herds, at least 1"},
             {"--herd-prevalence", OptionKind::kProportion, "herd-level design prevalence, 0.000001 <= value <= 1"},
             {"--within-herd-prevalence", OptionKind::kProportion, "design prevalence within a herd, 0.000001 <= value <= 1"},
             {"--herd-size", OptionKind::kReal, "animals in a herd, at least 1"},
             {"--herd-sensitivity", OptionKind::kLevel, "herd-level sensitivity, a whole percentage 0 to 100 (95, 95% or 0.95)"}},
            kTestOptions),
       With({{QUORBEL_E_TEST_PREVALENCE, "--herd-prevalence", kGiven},
             {QUORBEL_E_POPULATION, "--herds", "at least 1"},
             {QUORBEL_E_WITHIN_HERD_PREVALENCE, "--within-herd-prevalence", kGiven},
             {QUORBEL_E_HERD_SIZE, "--herd-size", "at least 1"},
             {QUORBEL_E_HERD_SENSITIVITY, "--herd-sensitivity", "a percentage from 0 to 100"}},
            kTestBlames),
       RunDetectTwoStage});
  commands.push_back(
      {"detect", "maximum-prevalence", "highest prevalence a negative sample could have missed",
       {{"--sample", OptionKind::kCount, "animals tested, at least 1"}, {"--population", OptionKind::kCount, "at least --sample"},
        {"--sensitivity", OptionKind::kProportion, "sensitivity of the test, 0.000001 <= value <= 1"}, {"--confidence", OptionKind::kLevel, kConfidenceText, true, "95"},
        {"--prevalence", OptionKind::kProportion, "prevalence at which to give the detection probability"}},
       {{QUORBEL_E_SAMPLE_TOO_SMALL, "--sample", "at least 1"},
        {QUORBEL_E_POPULATION, "--population", "at least 1"},
        {QUORBEL_E_POPULATION_TOO_SMALL, "--population", "at least --sample"},
        {QUORBEL_E_SENSITIVITY, "--sensitivity", kGiven},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidenceText},
        {QUORBEL_E_TEST_PREVALENCE, "--prevalence", kGiven}},
       RunMaximumPrevalence});
}

}  // namespace quorbel::commands
