// Planning with an imperfect test: the sample sizes of a survey of the true
// prevalence and of a study of a test's sensitivity or specificity, and the
// Beta prior a person states for such a value.
#include "command.h"
#include "output.h"
#include "quorbel_exact.h"

namespace quorbel::commands {
namespace {

constexpr const char* kOpen = "a proportion, 0 < value < 1";
constexpr const char* kLevelText = "a percentage from 50 to 99.99";
constexpr const char* kPrecisionBlame = "--precision (relative) or --absolute-precision";

// The absolute precision E: --absolute-precision as given, or --precision
// R of `of` (E = R x), which then stands in the settings.
double AbsolutePrecision(const Args& args, double of) {
  if (args.Has("--precision") == args.Has("--absolute-precision"))
    throw UsageError("--precision", "give either --precision (relative) or --absolute-precision");
  if (args.Has("--absolute-precision")) return args.Double("--absolute-precision");
  const double absolute = args.Double("--precision") * of;
  SetInEffect("absolute_precision", Value::Double(absolute));
  return absolute;
}

// The precision in effect as the settings hold it, absolute.
std::string PrecisionShown(const Value& answer) {
  const Value& settings = At(answer, "settings");
  return ScalarText(At(settings, "absolute_precision"));
}

QuorbelResult RunTruePrevalence(const host::Api&, const Args& args) {
  QuorbelExactTestSize r{};
  const double prevalence = args.Double("--prevalence");
  const QuorbelResult code = QuorbelExact_TruePrevalenceSampleSize(
      args.Population("--population"), prevalence, args.Double("--sensitivity"), args.Double("--specificity"),
      AbsolutePrecision(args, prevalence), args.Double("--confidence"), &r);
  if (code != QUORBEL_OK) return code;
  ValueBuilder().Begin().Int("sampleSize", static_cast<long long>(r.sampleSize))
      .Double("apparentPrevalence", r.detail).Double("z", r.z).End().Deliver();
  return code;
}

std::string TruePrevalenceText(const Value& answer) {
  const std::string population = ScalarText(Setting(answer, "population"));
  return Format("Sample size to estimate a true prevalence with an imperfect test (confidence %s %%, z = %s)\n\n"
                "  apparent prevalence   %s\n  sample size           %s\n\n"
                "%s animals%s estimate the true prevalence %s within %s, with a test of sensitivity %s and "
                "specificity %s.\n",
                ScalarText(Setting(answer, "confidence")).c_str(), Shown(answer, "z").c_str(),
                Shown(answer, "apparentPrevalence").c_str(), Shown(answer, "sampleSize").c_str(),
                Shown(answer, "sampleSize").c_str(),
                population == "infinite" ? "" : (" of " + population).c_str(),
                ScalarText(Setting(answer, "prevalence")).c_str(), PrecisionShown(answer).c_str(),
                ScalarText(Setting(answer, "sensitivity")).c_str(), ScalarText(Setting(answer, "specificity")).c_str());
}

QuorbelResult RunTestAccuracy(const host::Api&, const Args& args) {
  const bool sensitivity = args.Text("--estimate") == "sensitivity";
  const double expected = args.Double("--expected");
  QuorbelExactTestSize r{};
  const QuorbelResult code = QuorbelExact_TestAccuracySampleSize(
      sensitivity ? 0 : 1, expected, args.Double("--prevalence"), AbsolutePrecision(args, expected),
      args.Double("--confidence"), &r);
  if (code != QUORBEL_OK) return code;
  ValueBuilder().Begin().Int("sampleSize", static_cast<long long>(r.sampleSize))
      .Int(sensitivity ? "diseased" : "nonDiseased", static_cast<long long>(r.detail)).End().Deliver();
  return code;
}

std::string TestAccuracyText(const Value& answer) {
  const bool sensitivity = answer.Find("diseased") != nullptr;
  const char* group = sensitivity ? "with the condition" : "without the condition";
  return Format("Subjects for a study of a test's %s (confidence %s %%)\n\n"
                "  subjects %-30s %s\n  %-39s %s\n\n"
                "%s subjects, of whom %s are expected %s at a prevalence of %s, estimate a %s of %s within %s.\n",
                sensitivity ? "sensitivity" : "specificity", ScalarText(Setting(answer, "confidence")).c_str(), group,
                Shown(answer, sensitivity ? "diseased" : "nonDiseased").c_str(), "subjects in all",
                Shown(answer, "sampleSize").c_str(), Shown(answer, "sampleSize").c_str(), Shown(answer, sensitivity ? "diseased" : "nonDiseased").c_str(),
                group, ScalarText(Setting(answer, "prevalence")).c_str(),
                sensitivity ? "sensitivity" : "specificity", ScalarText(Setting(answer, "expected")).c_str(),
                PrecisionShown(answer).c_str());
}

QuorbelResult RunPriorBeta(const host::Api&, const Args& args) {
  if (args.Has("--at-least") == args.Has("--at-most"))
    throw UsageError("--at-least", "give either --at-least or --at-most");
  const bool atLeast = args.Has("--at-least");
  QuorbelExactBeta r{};
  const QuorbelResult code = QuorbelExact_PriorBeta(args.Double("--mode"),
                                                    args.Double(atLeast ? "--at-least" : "--at-most"), atLeast ? 1 : 0,
                                                    args.Double("--certainty"), &r);
  if (code == QUORBEL_EXACT_E_LIMIT) throw Rejection(atLeast ? "--at-least" : "--at-most", atLeast ?
      "a proportion below --mode, 0 < value < mode" : "a proportion above --mode, mode < value < 1", code);
  if (code != QUORBEL_OK) return code;
  ValueBuilder().Begin().Double("a", r.a).Double("b", r.b).Double("mean", r.mean).Double("median", r.median).End()
      .Deliver();
  return code;
}

std::string PriorBetaText(const Value& answer) {
  const Value& settings = At(answer, "settings");
  const bool atLeast = settings.Find("at_least") != nullptr;
  return Format("Beta prior from a mode and a limit\n\n  a        %s\n  b        %s\n  mean     %s\n  median   %s\n\n"
                "Beta(%s, %s) has its mode at %s and gives %s %% certainty that the value is %s %s.\n",
                Shown(answer, "a").c_str(), Shown(answer, "b").c_str(), Shown(answer, "mean").c_str(),
                Shown(answer, "median").c_str(), Shown(answer, "a").c_str(), Shown(answer, "b").c_str(),
                Shown(settings, "mode").c_str(), Shown(settings, "certainty").c_str(),
                atLeast ? "at least" : "at most", Shown(settings, atLeast ? "at_least" : "at_most").c_str());
}

Option Precision() {
  return {"--precision", OptionKind::kProportion,
          "relative precision: the half-width as a fraction of the estimate (or give --absolute-precision)", true};
}
Option AbsolutePrecisionOption() {
  return {"--absolute-precision", OptionKind::kProportion, "the half-width itself, 0 < value < 1", true};
}
Option Confidence() { return {"--confidence", OptionKind::kLevel, kLevelText, true, "95"}; }

}  // namespace

void AddTestSizeCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"sample-size", "true-prevalence", "animals to examine to estimate a true prevalence with an imperfect test",
       {{"--prevalence", OptionKind::kProportion, "expected true prevalence, 0 < value < 1"},
        {"--sensitivity", OptionKind::kProportion, "sensitivity of the test, 0 < value <= 1"},
        {"--specificity", OptionKind::kProportion, "specificity of the test, 0 < value <= 1"}, Precision(),
        AbsolutePrecisionOption(), Confidence(),
        {"--population", OptionKind::kPopulation, "a whole number >= 1, or infinite", true, "infinite"}},
       {{QUORBEL_EXACT_E_POPULATION, "--population", "a whole number >= 1, or infinite"},
        {QUORBEL_EXACT_E_PREVALENCE, "--prevalence", kOpen},
        {QUORBEL_EXACT_E_SENSITIVITY, "--sensitivity", "a proportion, 0 < value <= 1"},
        {QUORBEL_EXACT_E_SPECIFICITY, "--specificity", "a proportion, 0 < value <= 1"},
        {QUORBEL_EXACT_E_USELESS_TEST, "--sensitivity and --specificity",
         "a test with sensitivity + specificity above 1 (at or below 1 the test tells nothing about prevalence)"},
        {QUORBEL_EXACT_E_PRECISION, kPrecisionBlame, "an absolute precision 0 < E < 1, not so fine that n passes 2^53"},
        {QUORBEL_EXACT_E_CONFIDENCE, "--confidence", kLevelText}},
       RunTruePrevalence, TruePrevalenceText, {}, ZRule::kExact});
  commands.push_back(
      {"sample-size", "test-accuracy", "subjects for a study of a test's sensitivity or specificity",
       {{"--estimate", OptionKind::kChoice, "what the study estimates", false, nullptr, "sensitivity|specificity"},
        {"--expected", OptionKind::kProportion, "the sensitivity or specificity expected, 0 < value < 1"},
        {"--prevalence", OptionKind::kProportion, "prevalence of the condition among the subjects, 0 < value < 1"},
        Precision(), AbsolutePrecisionOption(), Confidence()},
       {{QUORBEL_EXACT_E_EXPECTED, "--expected", kOpen},
        {QUORBEL_EXACT_E_PREVALENCE, "--prevalence", kOpen},
        {QUORBEL_EXACT_E_PRECISION, kPrecisionBlame, "an absolute precision 0 < E < 1, not so fine that n passes 2^53"},
        {QUORBEL_EXACT_E_CONFIDENCE, "--confidence", kLevelText}},
       RunTestAccuracy, TestAccuracyText, {}, ZRule::kExact});
  commands.push_back(
      {"prior", "beta", "the Beta prior of a value stated by its most likely value and one limit",
       {{"--mode", OptionKind::kProportion, "the most likely value, 0 < value < 1"},
        {"--at-least", OptionKind::kProportion, "a limit below the mode the value is, with the certainty, above", true},
        {"--at-most", OptionKind::kProportion, "a limit above the mode the value is, with the certainty, below", true},
        {"--certainty", OptionKind::kLevel, "a percentage, 0 < value < 100, above what a uniform prior gives", true,
         "95"}},
       {{QUORBEL_EXACT_E_MODE, "--mode", kOpen},
        {QUORBEL_EXACT_E_CERTAINTY, "--certainty",
         "a percentage 0 < value < 100 above what a uniform prior gives (100 (1 - limit) for --at-least, "
         "100 limit for --at-most)"}},
       RunPriorBeta, PriorBetaText});
}

}  // namespace quorbel::commands
