// Commands of the prevalence family: sample sizes and confidence intervals.
#include "command.h"
#include "output.h"

namespace quorbel::commands {
namespace {

// Shared option texts.
constexpr const char* kProportion = "a proportion, 0.000001 <= value < 1";
constexpr const char* kConfidence = kConfidenceText;

// The relative precision: --precision as given, or --absolute-precision d
// converted as d / prevalence (the numbers as typed, rounded once to a
// float), which then stands in the settings as relative_precision.
float RelativePrecision(const Args& args) {
  if (args.Has("--precision") == args.Has("--absolute-precision"))
    throw UsageError("--precision", "give either --precision (relative) or --absolute-precision");
  if (args.Has("--precision")) return args.Float("--precision");
  const float relative = static_cast<float>(args.Double("--absolute-precision") / args.Double("--prevalence"));
  SetInEffect("relative_precision", Value::Float(relative));
  return relative;
}

// The relative precision in effect, as the settings hold it.
const Value& RelativeSetting(const Value& answer) {
  const Value& settings = At(answer, "settings");
  return settings.Find("relative_precision") != nullptr ? At(settings, "relative_precision") : At(settings, "precision");
}

QuorbelResult RunSimpleRandom(const host::Api& api, const Args& args) {
  const float prevalence = args.Float("--prevalence");
  const float precision = RelativePrecision(args);
  const int population = args.Int("--population");
  int32_t sizes[QUORBEL_LADDER_RESULTS];
  const QuorbelResult code =
      api.SampleSize_SimpleRandom(prevalence, precision, args.Int("--confidence"), population, sizes);
  if (code == QUORBEL_OK) DeliverLadder(population, sizes[0], sizes + 1, sizes[QUORBEL_LADDER_RESULTS - 1]);
  return code;
}

std::string SimpleRandomText(const Value& answer) {
  const float prevalence = static_cast<float>(Number(At(answer, "settings"), "prevalence"));
  const float precision = static_cast<float>(RelativeSetting(answer).number);
  return Format("Sample size to estimate a prevalence, simple random sampling\n"
                "expected prevalence %s, relative precision %s (absolute: within %s of the prevalence), "
                "confidence %s %%\n\n",
                FloatText(prevalence).c_str(), FloatText(precision).c_str(),
                FloatText(static_cast<float>(static_cast<double>(precision) * prevalence)).c_str(),
                ScalarText(Setting(answer, "confidence")).c_str()) +
         LadderText(answer);
}

// "--strata" of the stratified commands: 2 to 5 records, absent ones zero.
template <class Slot, class Parse>
std::vector<Slot> ReadStrata(const Args& args, size_t fields, Parse parse) {
  const auto records = args.Records("--strata", fields);
  if (records.size() < 2 || records.size() > QUORBEL_STRATA)
    throw UsageError("--strata", "--strata needs 2 to 5 strata separated by ','");
  std::vector<Slot> slots(QUORBEL_STRATA, Slot{});
  for (size_t h = 0; h < records.size(); ++h) slots[h] = parse(records[h], "--strata stratum " + std::to_string(h + 1));
  return slots;
}

struct SizedStratum {
  int size;
  float prevalence;
};

QuorbelResult RunStratified(const host::Api& api, const Args& args) {
  const auto s = ReadStrata<SizedStratum>(args, 2, [](const std::vector<std::string>& f, const std::string& what) {
    return SizedStratum{ParseInt(f[0], what + " size"), ParseFloat(f[1], what + " prevalence")};
  });
  StratifiedSampleSizeResult r;
  const QuorbelResult code = api.SampleSize_Stratified(
      args.Int("--confidence"), args.Float("--precision"), s[0].size, s[0].prevalence, s[1].size, s[1].prevalence,
      s[2].size, s[2].prevalence, s[3].size, s[3].prevalence, s[4].size, s[4].prevalence, &r);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin().Float("overallPrevalence", r.prevalence).BeginArray("strata");
  for (int h = 0; h < QUORBEL_STRATA && r.stratumSizes[h] > 0; ++h)
    json.Begin().Int("stratum", h + 1).Int("population", s[h].size).Float("prevalence", s[h].prevalence)
        .Int("sampleSize", r.stratumSizes[h]).End();
  json.EndArray().Int("total", r.total).End().Deliver();
  return code;
}

std::string StratifiedText(const Value& answer) {
  std::vector<std::vector<std::string>> rows;
  for (const Value& stratum : At(answer, "strata").items)
    rows.push_back({Shown(stratum, "stratum"), Shown(stratum, "population"), Shown(stratum, "prevalence"),
                    Shown(stratum, "sampleSize")});
  rows.push_back({"total", "", "", Shown(answer, "total")});
  return Format("Sample size to estimate a prevalence, stratified sampling (Neyman allocation)\n"
                "relative precision %s, confidence %s %%, overall expected prevalence %s\n\n",
                FloatText(static_cast<float>(Number(At(answer, "settings"), "precision"))).c_str(),
                ScalarText(Setting(answer, "confidence")).c_str(), Shown(answer, "overallPrevalence").c_str()) +
         TableText({"stratum", "population", "prevalence", "sample size"}, rows);
}

// The preset of the library from --preset 1..4 or --design-effect 2, 4, 7 or
// 7.5 (the presets by their values); a preset and --rho exclude each other,
// and one of them is needed.
int ReadPreset(const Args& args) {
  const int given = args.Has("--preset") + args.Has("--design-effect") + args.Has("--rho");
  if (given != 1) throw UsageError("--preset", "give one of --preset, --design-effect or --rho");
  if (args.Has("--design-effect")) {
    static const char* kEffects[] = {"2", "4", "7", "7.5"};
    for (int preset = 1; preset <= 4; ++preset)
      if (args.Text("--design-effect") == kEffects[preset - 1]) return preset;
  }
  if (!args.Has("--preset")) return 0;
  const int preset = args.Int("--preset");
  if (preset < 1 || preset > 4) throw UsageError("--preset", "--preset must be 1, 2, 3 or 4 (design effects 2, 4, 7, 7.5)");
  return preset;
}

QuorbelResult RunTwoStage(const host::Api& api, const Args& args) {
  const float prevalence = args.Float("--prevalence");
  const float precision = RelativePrecision(args);
  const int m = args.Int("--animals-per-cluster");
  const int preset = ReadPreset(args);
  TwoStageSampleSizeResult r;
  const QuorbelResult code = api.SampleSize_TwoStages(prevalence, precision, args.Int("--confidence"), m, preset,
                                                      args.FloatOr("--rho", 0.0f), &r);
  if (code == QUORBEL_OK)
    ValueBuilder().Begin().Int("clusters", r.clusters).Int("animalsPerCluster", m).Int("animals", r.animals)
        .Bool("minimumApplied", r.minimumApplied != 0).End().Deliver();
  return code;
}

std::string TwoStageText(const Value& answer) {
  return Format("Sample size to estimate a prevalence, two-stage sampling\n"
                "expected prevalence %s, relative precision %s, confidence %s %%, %s animals per cluster\n\n"
                "  clusters to sample  %s%s\n  animals in all      %s\n",
                FloatText(static_cast<float>(Number(At(answer, "settings"), "prevalence"))).c_str(),
                FloatText(static_cast<float>(RelativeSetting(answer).number)).c_str(),
                ScalarText(Setting(answer, "confidence")).c_str(), Shown(answer, "animalsPerCluster").c_str(),
                Shown(answer, "clusters").c_str(),
                At(answer, "minimumApplied").boolean ? "  (raised to the minimum of 25)" : "",
                Shown(answer, "animals").c_str());
}

void DeliverInterval(float estimate, float lower, float upper) {
  ValueBuilder().Begin().Float("estimate", estimate).Float("lower", lower).Float("upper", upper).End().Deliver();
}

std::string IntervalTable(const Value& answer) {
  return TableText({"estimate", "lower limit", "upper limit"},
                   {{Shown(answer, "estimate"), Shown(answer, "lower"), Shown(answer, "upper")}});
}

QuorbelResult RunIntervalSimpleRandom(const host::Api& api, const Args& args) {
  const int n = args.Int("--sample");
  const int population = args.Int("--population");
  const int confidence = args.Int("--confidence");
  if (args.Has("--positives") == args.Has("--proportion"))
    throw UsageError("--proportion", "give either --proportion or --positives");
  if (args.Has("--proportion")) {
    const float p = args.Float("--proportion");
    IntervalResult r;
    const QuorbelResult code = api.ConfidenceInterval_SimpleRandom_Proportion(p, n, population, confidence, &r);
    if (code == QUORBEL_OK) DeliverInterval(p, r.lower, r.upper);
    return code;
  }
  EstimateIntervalResult r;
  const QuorbelResult code = api.ConfidenceInterval_SimpleRandom_PositiveCases(args.Int("--positives"), n, population,
                                                                               confidence, &r);
  if (code == QUORBEL_OK) DeliverInterval(r.estimate, r.lower, r.upper);
  return code;
}

std::string IntervalSimpleRandomText(const Value& answer) {
  return "Confidence interval of a prevalence, simple random sampling\n\n" + IntervalTable(answer);
}

struct SampledStratum {
  int population, sample;
  float proportion;
};

QuorbelResult RunIntervalStratified(const host::Api& api, const Args& args) {
  const auto s = ReadStrata<SampledStratum>(args, 3, [](const std::vector<std::string>& f, const std::string& what) {
    return SampledStratum{ParseInt(f[0], what + " population"), ParseInt(f[1], what + " sample"),
                          ParseFloat(f[2], what + " proportion")};
  });
  EstimateIntervalResult r;
  const QuorbelResult code = api.ConfidenceInterval_Stratified(
      args.Int("--confidence"), s[0].population, s[0].sample, s[0].proportion, s[1].population, s[1].sample,
      s[1].proportion, s[2].population, s[2].sample, s[2].proportion, s[3].population, s[3].sample, s[3].proportion,
      s[4].population, s[4].sample, s[4].proportion, &r);
  if (code == QUORBEL_OK) DeliverInterval(r.estimate, r.lower, r.upper);
  return code;
}

std::string IntervalStratifiedText(const Value& answer) {
  return "Confidence interval of a prevalence, stratified sampling\n\n" + IntervalTable(answer);
}

}  // namespace

void AddPrevalenceCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"sample-size", "simple-random", "animals to examine to estimate a prevalence",
       {{"--prevalence", OptionKind::kProportion, kProportion},
        {"--precision", OptionKind::kProportion, "relative precision: the half-width as a fraction of the prevalence, 0.000001 <= value < 1 "
                        "(or give --absolute-precision)", true},
        {"--absolute-precision", OptionKind::kProportion, "the half-width itself, converted to relative as d / prevalence", true},
        {"--confidence", OptionKind::kLevel, kConfidence, true, "95"}, {"--population", OptionKind::kCount, "a whole number, at least 1"}},
       {{QUORBEL_E_PREVALENCE, "--prevalence", kProportion},
        {QUORBEL_E_PRECISION, "--precision (relative; --absolute-precision / --prevalence)", kProportion},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidence},
        {QUORBEL_E_POPULATION, "--population", "at least 1"}},
       RunSimpleRandom, SimpleRandomText, {}, ZRule::kClassic});
  constexpr const char* kStrata = "2 to 5 strata SIZE:PREVALENCE separated by ',', e.g. 1000:0.3,2000:0.1";
  commands.push_back(
      {"sample-size", "stratified", "animals to examine in each stratum (Neyman allocation)",
       {{"--precision", OptionKind::kProportion, "relative precision, 0.000001 <= value < 1"}, {"--confidence", OptionKind::kLevel, kConfidence, true, "95"},
        {"--strata", OptionKind::kRecords, kStrata}},
       {{QUORBEL_E_CONFIDENCE, "--confidence", kConfidence},
        {QUORBEL_E_PRECISION, "--precision", kProportion},
        {QUORBEL_E_STRATUM, "--strata",
         "strata with sizes of at least 1 and prevalences 0.000001 <= p < 1 (0 < p < 1 for strata 3 to 5)"}},
       RunStratified, StratifiedText, {}, ZRule::kClassic});
  commands.push_back(
      {"sample-size", "two-stage", "clusters and animals to examine in a two-stage survey",
       {{"--prevalence", OptionKind::kProportion, kProportion}, {"--precision", OptionKind::kProportion, "relative precision, 0.000001 <= value < 1 (or give --absolute-precision)", true},
        {"--absolute-precision", OptionKind::kProportion, "the half-width itself, converted to relative as d / prevalence", true},
        {"--confidence", OptionKind::kLevel, kConfidence, true, "95"}, {"--animals-per-cluster", OptionKind::kCount, "a whole number, at least 2"},
        {"--preset", OptionKind::kCount, "1 to 4: design effects 2, 4, 7 and 7.5 (or give --design-effect or --rho)", true},
        {"--design-effect", OptionKind::kChoice, "2, 4, 7 or 7.5, the presets by their values", true, nullptr, "2|4|7|7.5"},
        {"--rho", OptionKind::kReal, "intra-cluster correlation, at least 0.000001, instead of a preset", true}},
       {{QUORBEL_E_CLUSTER_PREVALENCE, "--prevalence", kProportion},
        {QUORBEL_E_PRECISION, "--precision", kProportion},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidence},
        {QUORBEL_E_SAMPLE_TOO_SMALL, "--animals-per-cluster", "at least 2"},
        {QUORBEL_E_CORRELATION, "--rho", "at least 0.000001 when no --preset is chosen"}},
       RunTwoStage, TwoStageText, {}, ZRule::kClassic});
  commands.push_back(
      {"interval", "simple-random", "confidence interval of a prevalence after simple random sampling",
       {{"--proportion", OptionKind::kProportion, "observed proportion, 0.000001 <= value < 1 (or give --positives)", true},
        {"--positives", OptionKind::kCount, "number of positive animals, 1 to --sample (or give --proportion)", true},
        {"--sample", OptionKind::kCount, "animals examined, at least 2"}, {"--population", OptionKind::kCount, "at least 2 and at least --sample"},
        {"--confidence", OptionKind::kLevel, kConfidence, true, "95"}},
       {{QUORBEL_E_OBSERVED_PROPORTION, "--proportion or --positives",
         "a proportion 0.000001 <= p < 1, or 1 to --sample positives"},
        {QUORBEL_E_SAMPLE_TOO_SMALL, "--sample or --population", "at least 2"},
        {QUORBEL_E_CONFIDENCE, "--confidence", kConfidence},
        {QUORBEL_E_POPULATION_TOO_SMALL, "--population", "at least --sample"}},
       RunIntervalSimpleRandom, IntervalSimpleRandomText, {}, ZRule::kClassic});
  commands.push_back(
      {"interval", "stratified", "confidence interval of a prevalence after stratified sampling",
       {{"--confidence", OptionKind::kLevel, kConfidence, true, "95"},
        {"--strata", OptionKind::kRecords, "2 to 5 strata POPULATION:SAMPLE:PROPORTION separated by ','"}},
       {{QUORBEL_E_CONFIDENCE, "--confidence", kConfidence},
        {QUORBEL_E_POPULATION_TOO_SMALL, "--strata",
         "strata with populations of at least 2 and no larger samples than populations"},
        {QUORBEL_E_SAMPLE_TOO_SMALL, "--strata", "strata 1 and 2 with samples of at least 2"},
        {QUORBEL_E_OBSERVED_PROPORTION, "--strata", "strata 1 and 2 with proportions 0.000001 <= p < 1"}},
       RunIntervalStratified, IntervalStratifiedText, {}, ZRule::kClassic});
}

}  // namespace quorbel::commands
