// Commands of the prevalence family: sample sizes and confidence intervals.
#include <cstdio>

#include "command.h"
#include "output.h"

namespace quorbel::commands {
namespace {

// Shared option texts.
constexpr const char* kProportion = "a proportion, 0.000001 <= value < 1";
constexpr const char* kConfidence = kConfidenceText;

// The relative precision: --precision as given, or --absolute-precision d
// converted as d / prevalence (the numbers as typed, rounded once to a float).
float RelativePrecision(const Args& args) {
  if (args.Has("--precision") == args.Has("--absolute-precision"))
    throw UsageError("--precision", "give either --precision (relative) or --absolute-precision");
  if (args.Has("--precision")) return args.Float("--precision");
  return static_cast<float>(args.Double("--absolute-precision") / args.Double("--prevalence"));
}

QuorbelResult RunSimpleRandom(const host::Api& api, const Args& args) {
  const float prevalence = args.Float("--prevalence");
  const float precision = RelativePrecision(args);
  const int confidence = args.Int("--confidence");
  const int population = args.Int("--population");
  int32_t sizes[QUORBEL_LADDER_RESULTS];
  const QuorbelResult code = api.SampleSize_SimpleRandom(prevalence, precision, confidence, population, sizes);
  if (code != QUORBEL_OK) return code;

  if (!args.json())
    std::printf("Sample size to estimate a prevalence, simple random sampling\n"
                "expected prevalence %s, relative precision %s (absolute: within %s of the prevalence), "
                "confidence %d %%\n\n",
                FloatText(prevalence).c_str(), FloatText(precision).c_str(),
                FloatText(static_cast<float>(static_cast<double>(precision) * prevalence)).c_str(), confidence);
  PrintLadderTable(args, population, sizes[0], sizes + 1, sizes[QUORBEL_LADDER_RESULTS - 1]);
  return code;
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
  const int confidence = args.Int("--confidence");
  const float precision = args.Float("--precision");
  const auto s = ReadStrata<SizedStratum>(args, 2, [](const std::vector<std::string>& f, const std::string& what) {
    return SizedStratum{ParseInt(f[0], what + " size"), ParseFloat(f[1], what + " prevalence")};
  });
  StratifiedSampleSizeResult r;
  const QuorbelResult code = api.SampleSize_Stratified(confidence, precision, s[0].size, s[0].prevalence, s[1].size,
                                                       s[1].prevalence, s[2].size, s[2].prevalence, s[3].size,
                                                       s[3].prevalence, s[4].size, s[4].prevalence, &r);
  if (code != QUORBEL_OK) return code;
  if (args.json()) {
    ValueBuilder json;
    json.Begin().Float("overallPrevalence", r.prevalence).BeginArray("strata");
    for (int h = 0; h < QUORBEL_STRATA && r.stratumSizes[h] > 0; ++h)
      json.Begin().Int("stratum", h + 1).Int("population", s[h].size).Float("prevalence", s[h].prevalence)
          .Int("sampleSize", r.stratumSizes[h]).End();
    json.EndArray().Int("total", r.total).End().Deliver();
    return code;
  }
  std::printf("Sample size to estimate a prevalence, stratified sampling (Neyman allocation)\n"
              "relative precision %s, confidence %d %%, overall expected prevalence %s\n\n",
              FloatText(precision).c_str(), confidence, FloatText(r.prevalence).c_str());
  std::vector<std::vector<std::string>> rows;
  for (int h = 0; h < QUORBEL_STRATA && r.stratumSizes[h] > 0; ++h)
    rows.push_back({std::to_string(h + 1), std::to_string(s[h].size), FloatText(s[h].prevalence),
                    std::to_string(r.stratumSizes[h])});
  rows.push_back({"total", "", "", std::to_string(r.total)});
  PrintTable({"stratum", "population", "prevalence", "sample size"}, rows);
  return code;
}

// The preset of the library from --preset 0..4 or --design-effect 2, 4, 7 or
// 7.5; a preset and --rho exclude each other, and one of them is needed.
int ReadPreset(const Args& args) {
  const int given = args.Has("--preset") + args.Has("--design-effect") + args.Has("--rho");
  if (given != 1) throw UsageError("--preset", "give one of --preset, --design-effect or --rho");
  if (args.Has("--design-effect")) {
    const std::string& effect = args.Text("--design-effect");
    static const char* kEffects[] = {"2", "4", "7", "7.5"};
    for (int preset = 1; preset <= 4; ++preset)
      if (effect == kEffects[preset - 1]) return preset;
    throw std::logic_error("a design effect outside the option's choices");
  }
  if (!args.Has("--preset")) return 0;
  const int preset = args.Int("--preset");
  if (preset < 1 || preset > 4) throw UsageError("--preset", "--preset must be 1, 2, 3 or 4 (design effects 2, 4, 7, 7.5)");
  return preset;
}

QuorbelResult RunTwoStage(const host::Api& api, const Args& args) {
  const float prevalence = args.Float("--prevalence");
  const float precision = RelativePrecision(args);
  const int confidence = args.Int("--confidence");
  const int m = args.Int("--animals-per-cluster");
  const int preset = ReadPreset(args);
  const float rho = args.FloatOr("--rho", 0.0f);
  TwoStageSampleSizeResult r;
  const QuorbelResult code = api.SampleSize_TwoStages(prevalence, precision, confidence, m, preset, rho, &r);
  if (code != QUORBEL_OK) return code;
  if (args.json()) {
    ValueBuilder().Begin().Int("clusters", r.clusters).Int("animalsPerCluster", m).Int("animals", r.animals)
        .Bool("minimumApplied", r.minimumApplied != 0).End().Deliver();
    return code;
  }
  std::printf("Sample size to estimate a prevalence, two-stage sampling\n"
              "expected prevalence %s, relative precision %s, confidence %d %%, %d animals per cluster\n\n"
              "  clusters to sample  %d%s\n  animals in all      %d\n",
              FloatText(prevalence).c_str(), FloatText(precision).c_str(), confidence, m, r.clusters,
              r.minimumApplied ? "  (raised to the minimum of 25)" : "", r.animals);
  return code;
}

void PrintInterval(const Args& args, const char* title, float estimate, float lower, float upper) {
  if (args.json()) {
    ValueBuilder().Begin().Float("estimate", estimate).Float("lower", lower).Float("upper", upper).End().Deliver();
    return;
  }
  std::printf("%s\n\n", title);
  PrintTable({"estimate", "lower limit", "upper limit"}, {{FloatText(estimate), FloatText(lower), FloatText(upper)}});
}

QuorbelResult RunIntervalSimpleRandom(const host::Api& api, const Args& args) {
  const int n = args.Int("--sample");
  const int population = args.Int("--population");
  const int confidence = args.Int("--confidence");
  const char* title = "Confidence interval of a prevalence, simple random sampling";
  if (args.Has("--positives") == args.Has("--proportion"))
    throw UsageError("--proportion", "give either --proportion or --positives");
  if (args.Has("--proportion")) {
    const float p = args.Float("--proportion");
    IntervalResult r;
    const QuorbelResult code = api.ConfidenceInterval_SimpleRandom_Proportion(p, n, population, confidence, &r);
    if (code == QUORBEL_OK) PrintInterval(args, title, p, r.lower, r.upper);
    return code;
  }
  EstimateIntervalResult r;
  const QuorbelResult code = api.ConfidenceInterval_SimpleRandom_PositiveCases(args.Int("--positives"), n, population,
                                                                               confidence, &r);
  if (code == QUORBEL_OK) PrintInterval(args, title, r.estimate, r.lower, r.upper);
  return code;
}

struct SampledStratum {
  int population, sample;
  float proportion;
};

QuorbelResult RunIntervalStratified(const host::Api& api, const Args& args) {
  const int confidence = args.Int("--confidence");
  const auto s = ReadStrata<SampledStratum>(args, 3, [](const std::vector<std::string>& f, const std::string& what) {
    return SampledStratum{ParseInt(f[0], what + " population"), ParseInt(f[1], what + " sample"),
                          ParseFloat(f[2], what + " proportion")};
  });
  EstimateIntervalResult r;
  const QuorbelResult code = api.ConfidenceInterval_Stratified(
      confidence, s[0].population, s[0].sample, s[0].proportion, s[1].population, s[1].sample, s[1].proportion,
      s[2].population, s[2].sample, s[2].proportion, s[3].population, s[3].sample, s[3].proportion,
      s[4].population, s[4].sample, s[4].proportion, &r);
  if (code == QUORBEL_OK)
    PrintInterval(args, "Confidence interval of a prevalence, stratified sampling", r.estimate, r.lower, r.upper);
  return code;
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
       RunSimpleRandom, {}, ZRule::kClassic});
  constexpr const char* kStrata = "2 to 5 strata SIZE:PREVALENCE separated by ',', e.g. 1000:0.3,2000:0.1";
  commands.push_back(
      {"sample-size", "stratified", "animals to examine in each stratum (Neyman allocation)",
       {{"--precision", OptionKind::kProportion, "relative precision, 0.000001 <= value < 1"}, {"--confidence", OptionKind::kLevel, kConfidence, true, "95"},
        {"--strata", OptionKind::kRecords, kStrata}},
       {{QUORBEL_E_CONFIDENCE, "--confidence", kConfidence},
        {QUORBEL_E_PRECISION, "--precision", kProportion},
        {QUORBEL_E_STRATUM, "--strata",
         "strata with sizes of at least 1 and prevalences 0.000001 <= p < 1 (0 < p < 1 for strata 3 to 5)"}},
       RunStratified, {}, ZRule::kClassic});
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
       RunTwoStage, {}, ZRule::kClassic});
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
       RunIntervalSimpleRandom, {}, ZRule::kClassic});
  commands.push_back(
      {"interval", "stratified", "confidence interval of a prevalence after stratified sampling",
       {{"--confidence", OptionKind::kLevel, kConfidence, true, "95"},
        {"--strata", OptionKind::kRecords, "2 to 5 strata POPULATION:SAMPLE:PROPORTION separated by ','"}},
       {{QUORBEL_E_CONFIDENCE, "--confidence", kConfidence},
        {QUORBEL_E_POPULATION_TOO_SMALL, "--strata",
         "strata with populations of at least 2 and no larger samples than populations"},
        {QUORBEL_E_SAMPLE_TOO_SMALL, "--strata", "strata 1 and 2 with samples of at least 2"},
        {QUORBEL_E_OBSERVED_PROPORTION, "--strata", "strata 1 and 2 with proportions 0.000001 <= p < 1"}},
       RunIntervalStratified, {}, ZRule::kClassic});
}

}  // namespace quorbel::commands
