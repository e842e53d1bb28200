// Commands of the detection family: sample sizes to show that a disease is
// absent, and the highest prevalence a negative sample could have missed.
#include <algorithm>
#include <cmath>

#include "command.h"
#include "exact.h"
#include "detection/detection.h"
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

// The test as typed, in double precision, for the exact layer: one test, or
// two combined as the library combines them.
struct TypedTest {
  double se, sp, risk;
};

TypedTest ReadTypedTest(const Args& args, const Tests& t) {
  CombinedTest test{args.Double("--sensitivity"), args.Double("--specificity")};
  if (t.combination != 0)
    test = Combine(test.sensitivity, test.specificity, args.Double("--sensitivity2"), args.Double("--specificity2"),
                   t.combination);
  return {test.sensitivity, test.specificity, args.Double("--false-positive-risk")};
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

// The reference table's rows and columns: populations and design prevalences.
constexpr const char* kReferenceRows[] = {"50", "100", "250", "500", "1000", "2000", "5000", "10000000"};
constexpr const char* kReferenceColumns[] = {"10 %", "5 %", "2 %", "1 %", "0.5 %", "0.1 %"};

void AddClassicDesign(ValueBuilder& json, const DetectionSampleSizeResult& r) {
  json.Int("sampleSize", r.sampleSize);
  if (r.reactorCutOff >= 0) json.Int("reactorCutOff", r.reactorCutOff);
  json.Float("sensitivity", r.sensitivity).Float("specificity", r.specificity).BeginArray("referenceTable");
  for (int row = 0; row < QUORBEL_REFERENCE_ROWS; ++row) {
    json.Begin().String("population", kReferenceRows[row]).BeginArray("sampleSizes");
    for (int column = 0; column < QUORBEL_REFERENCE_COLUMNS; ++column)
      json.Float(nullptr, r.referenceTable[row * QUORBEL_REFERENCE_COLUMNS + column]);
    json.EndArray().End();
  }
  json.EndArray();
}

QuorbelResult RunDetectSampleSize(const host::Api& api, const Args& args) {
  const Tests t = ReadTests(args);
  const int population = args.Int("--population"), confidence = args.Int("--confidence");
  DetectionSampleSizeResult r;
  r.reactorCutOff = -1;
  const QuorbelResult code = api.DetectingEvent_SampleSize_SimpleRandom(
      args.Float("--prevalence"), population, confidence, t.se1, t.sp1, t.se2, t.sp2, &r, t.risk, t.combination);
  if (code != QUORBEL_OK) return code;
  const bool found = r.reactorCutOff >= 0;
  const TypedTest typed = ReadTypedTest(args, t);
  const double prevalence = args.Double("--prevalence");
  QuorbelExactEvaluation achieved{0, 0, 1};
  if (found) achieved = Achieved(population, r.sampleSize, prevalence, typed.se, typed.sp, r.reactorCutOff);
  const QuorbelExactDesign exact = ExactDesign(population, prevalence, typed.se, typed.sp, confidence, 1.0 - typed.risk);
  WarnIfShort(achieved.populationSensitivity, achieved.populationSpecificity, confidence, typed.risk);
  ValueBuilder json;
  json.Begin();
  AddClassicDesign(json, r);
  if (found)
    json.Begin("achieved").Double("populationSensitivity", achieved.populationSensitivity)
        .Double("populationSpecificity", achieved.populationSpecificity).End();
  WriteDesign(json, "exact", exact);
  json.End().Deliver();
  return code;
}

std::string CutOffText(const Value& answer, const char* key) {
  return answer.Find(key) != nullptr ? Shown(answer, key) : "none (no count reaches the bound)";
}

std::string DetectSampleSizeText(const Value& answer) {
  const Value& settings = At(answer, "settings");
  std::string text = Format(
      "Sample size to detect disease, simple random sampling\n"
      "design prevalence %s, population %s, confidence %s %%\n\n"
      "  animals to sample    %s\n  reactor cut-off      %s\n  test sensitivity     %s\n  test specificity     %s\n\n"
      "Reference sample sizes for this test sensitivity and confidence level:\n",
      FloatText(static_cast<float>(Number(settings, "prevalence"))).c_str(), Shown(settings, "population").c_str(),
      Shown(settings, "confidence").c_str(), Shown(answer, "sampleSize").c_str(),
      CutOffText(answer, "reactorCutOff").c_str(), Shown(answer, "sensitivity").c_str(),
      Shown(answer, "specificity").c_str());
  std::vector<std::vector<std::string>> rows;
  for (const Value& row : At(answer, "referenceTable").items) {
    rows.push_back({Shown(row, "population")});
    for (const Value& size : At(row, "sampleSizes").items) rows.back().push_back(ScalarText(size));
  }
  std::vector<std::string> header = {"population"};
  header.insert(header.end(), std::begin(kReferenceColumns), std::end(kReferenceColumns));
  text += TableText(header, rows);
  if (const Value* achieved = answer.Find("achieved"))
    text += Format("\nWhat this design achieves, evaluated exactly (positive at %lld or more reactors):\n\n"
                   "  population sensitivity  %s\n  population specificity  %s\n",
                   Whole(answer, "reactorCutOff") + 1, Shown(*achieved, "populationSensitivity").c_str(),
                   Shown(*achieved, "populationSpecificity").c_str());
  else
    text += "\nWhat this design achieves, evaluated exactly:\n\n  nothing: no cut-off was found\n";
  text += Format("\nThe exact design for the same inputs (specificity target %s):\n\n",
                 DoubleText(1.0 - Number(settings, "false_positive_risk")).c_str());
  return text + DesignText(At(answer, "exact"), Shown(settings, "confidence"));
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

// A two-stage survey as the exact layer sees it: herds, prevalences, the
// herd size as a whole number, the test, and the levels.
struct HerdSurvey {
  int herds, herdSize, confidence, herdSensitivity;
  double herdPrevalence, within;
  TypedTest test;
};

HerdSurvey ReadHerdSurvey(const Args& args, const Tests& t) {
  return {args.Int("--herds"), static_cast<int>(std::lround(std::min<double>(INT32_MAX, args.Double("--herd-size")))),
          args.Int("--confidence"), HerdSensitivityPercent(args), args.Double("--herd-prevalence"),
          args.Double("--within-herd-prevalence"), ReadTypedTest(args, t)};
}

// What the classic design achieves: herds drawn from the herd count, the
// animals of each herd from the herd (all of them when fewer than asked).
void AddAchieved(ValueBuilder& json, const HerdSurvey& s, const TwoStageDetectionResult& r) {
  QuorbelExactHerdSurvey achieved{0, 1, 0, 1};
  const bool evaluated =
      r.herdReactorCutOff >= 0 && r.herdsToSample >= 1 && r.herdsToSample <= s.herds && r.animalsPerHerd >= 1;
  const int32_t tested = std::min(r.animalsPerHerd, s.herdSize);
  if (evaluated && r.herdReactorCutOff + 1 <= tested)
    CheckExact(QuorbelExact_HerdSurvey(s.herds, r.herdsToSample, s.herdPrevalence, s.herdSize, tested, s.within,
                                       s.test.se, s.test.sp, r.herdReactorCutOff + 1, &achieved),
               "exact herd survey");
  WarnIfShort(evaluated ? achieved.surveySensitivity : 0.0, evaluated ? achieved.herdSpecificity : 1.0, s.confidence,
              s.test.risk);
  if (evaluated)
    json.Begin("achieved").Double("herdSensitivity", achieved.herdSensitivity)
        .Double("herdSpecificity", achieved.herdSpecificity).Double("surveySensitivity", achieved.surveySensitivity)
        .Double("surveySpecificity", achieved.surveySpecificity).End();
}

// The exact design: animals per herd for the herd sensitivity, then herds.
void AddExactHerdDesign(ValueBuilder& json, const HerdSurvey& s) {
  if (s.herdSensitivity < 50 || s.herdSensitivity > 99) return;
  const QuorbelExactDesign herd =
      ExactDesign(s.herdSize, s.within, s.test.se, s.test.sp, s.herdSensitivity, 1.0 - s.test.risk);
  int32_t herdsNeeded = 0;
  if (herd.reachable)
    CheckExact(QuorbelExact_HerdsNeeded(s.herds, s.herdPrevalence, s.herdSize, herd.sampleSize, s.within, s.test.se,
                                        s.test.sp, herd.positiveAt, s.confidence, &herdsNeeded),
               "exact herds needed");
  json.Begin("exact");
  WriteDesign(json, "herd", herd);
  json.Bool("reachable", herdsNeeded > 0);
  if (herdsNeeded > 0) json.Int("herdsToSample", herdsNeeded);
  json.End();
}

constexpr int kHerdSizes[QUORBEL_HERD_SIZES] = {50, 100, 250, 500, 750, 1000, 5000};

QuorbelResult RunDetectTwoStage(const host::Api& api, const Args& args) {
  const Tests t = ReadTests(args);
  const HerdSurvey survey = ReadHerdSurvey(args, t);
  TwoStageDetectionResult r;
  r.herdReactorCutOff = r.totalReactorCutOff = -1;
  const QuorbelResult code = api.DetectingEvent_SampleSize_TwoStages(
      survey.confidence, args.Float("--herd-prevalence"), survey.herds, args.Float("--within-herd-prevalence"),
      args.Float("--herd-size"), survey.herdSensitivity, t.se1, t.sp1, t.se2, t.sp2, &r, t.risk, t.combination);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin().Int("herdsToSample", r.herdsToSample).Int("animalsPerHerd", r.animalsPerHerd)
      .Int("totalAnimals", r.totalAnimals);
  if (r.herdReactorCutOff >= 0) json.Int("herdReactorCutOff", r.herdReactorCutOff);
  if (r.totalReactorCutOff >= 0) json.Int("totalReactorCutOff", r.totalReactorCutOff);
  json.Float("sensitivity", r.sensitivity).Float("specificity", r.specificity).BeginArray("herdSizeTable");
  for (int i = 0; i < QUORBEL_HERD_SIZES; ++i)
    json.Begin().Int("herdSize", kHerdSizes[i]).Int("animalsPerHerd", r.herdSizeTable[i]).End();
  json.EndArray();
  AddAchieved(json, survey, r);
  AddExactHerdDesign(json, survey);
  json.End().Deliver();
  return code;
}

std::string ExactHerdText(const Value& answer) {
  const Value* exact = answer.Find("exact");
  if (exact == nullptr) return "";
  const std::string herdLevel = ScalarText(Setting(answer, "herd_sensitivity"));
  std::string text = "\nThe exact design per herd (herd sensitivity " + herdLevel + " %):\n\n" +
                     DesignText(At(*exact, "herd"), herdLevel);
  if (exact->Find("herdsToSample") != nullptr) return text + "  herds to sample      " + Shown(*exact, "herdsToSample") + "\n";
  if (At(At(*exact, "herd"), "reachable").boolean)
    text += "  herds to sample      none reaches " + ScalarText(Setting(answer, "confidence")) + " %, even every herd\n";
  return text;
}

std::string DetectTwoStageText(const Value& answer) {
  const Value& settings = At(answer, "settings");
  std::string text = Format(
      "Sample size to detect disease, two-stage sampling (%s herds, confidence %s %%, herd sensitivity %s %%)\n\n"
      "  herds to sample           %s\n  animals per herd          %s\n  animals in all            %s\n"
      "  reactor cut-off per herd  %s\n  reactor cut-off in all    %s\n"
      "  test sensitivity          %s\n  test specificity          %s\n\nAnimals per herd by herd size:\n",
      Shown(settings, "herds").c_str(), Shown(settings, "confidence").c_str(), Shown(settings, "herd_sensitivity").c_str(),
      Shown(answer, "herdsToSample").c_str(), Shown(answer, "animalsPerHerd").c_str(),
      Shown(answer, "totalAnimals").c_str(), CutOffText(answer, "herdReactorCutOff").c_str(),
      CutOffText(answer, "totalReactorCutOff").c_str(), Shown(answer, "sensitivity").c_str(),
      Shown(answer, "specificity").c_str());
  std::vector<std::vector<std::string>> rows;
  for (const Value& row : At(answer, "herdSizeTable").items)
    rows.push_back({Shown(row, "herdSize"), Shown(row, "animalsPerHerd")});
  text += TableText({"herd size", "animals per herd"}, rows);
  if (const Value* achieved = answer.Find("achieved"))
    text += Format("\nWhat this design achieves, evaluated exactly (a herd positive at %lld or more reactors):\n\n"
                   "  per herd      sensitivity %s, specificity %s\n  whole survey  sensitivity %s, specificity %s\n",
                   Whole(answer, "herdReactorCutOff") + 1, Shown(*achieved, "herdSensitivity").c_str(),
                   Shown(*achieved, "herdSpecificity").c_str(), Shown(*achieved, "surveySensitivity").c_str(),
                   Shown(*achieved, "surveySpecificity").c_str());
  return text + ExactHerdText(answer);
}

QuorbelResult RunMaximumPrevalence(const host::Api& api, const Args& args) {
  const int n = args.Int("--sample"), population = args.Int("--population");
  MaximumPrevalenceResult r;
  const QuorbelResult code = api.DetectingEvent_MaximumPrevalence(n, population, args.Float("--sensitivity"),
                                                                  args.Int("--confidence"), args.Float("--prevalence"), &r);
  if (code != QUORBEL_OK) return code;
  QuorbelExactMaximum exact{};
  CheckExact(QuorbelExact_MaximumPrevalence(population, n, args.Double("--sensitivity"), args.Int("--confidence"),
                                            args.Double("--prevalence"), &exact),
             "exact maximum prevalence");
  ValueBuilder().Begin().Int("diseasedAnimals", r.diseasedAnimals).Float("maximumPrevalence", r.maximumPrevalence)
      .Float("detectionProbability", r.detectionProbability).Begin("exact")
      .Int("maximumDiseased", exact.maximumDiseased).Double("maximumPrevalence", exact.maximumPrevalence)
      .Double("detectionProbability", exact.detectionProbability).End().End().Deliver();
  return code;
}

std::string MaximumPrevalenceText(const Value& answer) {
  const Value &settings = At(answer, "settings"), &exact = At(answer, "exact");
  const std::string prevalence = FloatText(static_cast<float>(Number(settings, "prevalence")));
  return Format("Highest prevalence a negative sample of %s out of %s could have missed\n\n"
                "  diseased animals     %s\n  maximum prevalence   %s\n"
                "  probability of detecting at a prevalence of %s: %s\n"
                "  (the diseased animals are the threshold X rounded up, plus one when X is whole; the maximum\n"
                "  prevalence is X / population itself, so the two need not agree)\n",
                Shown(settings, "sample").c_str(), Shown(settings, "population").c_str(),
                Shown(answer, "diseasedAnimals").c_str(), Shown(answer, "maximumPrevalence").c_str(),
                prevalence.c_str(), Shown(answer, "detectionProbability").c_str()) +
         Format("\nExactly (hypergeometric sampling):\n\n  diseased animals     %s\n  maximum prevalence   %s\n"
                "  probability of detecting at a prevalence of %s: %s\n",
                Shown(exact, "maximumDiseased").c_str(), Shown(exact, "maximumPrevalence").c_str(), prevalence.c_str(),
                Shown(exact, "detectionProbability").c_str());
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
       RunDetectSampleSize, DetectSampleSizeText});
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
       RunDetectTwoStage, DetectTwoStageText});
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
       RunMaximumPrevalence, MaximumPrevalenceText});
}

}  // namespace quorbel::commands
