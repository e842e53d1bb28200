// Commands of freedom from disease: what a surveillance component detects,
// the sample it needs, the prevalence it demonstrates, and the probability
// that a population is free after periods of surveillance.
#include <cmath>
#include <vector>

#include "command.h"
#include "output.h"
#include "quorbel_freedom.h"

namespace quorbel::commands {
namespace {

constexpr const char* kOpen = "a proportion, 0 < value < 1";
constexpr const char* kProbability = "a proportion, 0 < value <= 1";
constexpr const char* kSensitivities = "proportions 0 to 1 separated by ','";
constexpr const char* kGroups =
    "groups relative-risk:share:units:sensitivity separated by ',' (risks > 0, shares summing to 1, a relative "
    "risk times the design prevalence over the mean risk at most 1)";

std::vector<CodeBlame> FreedomBlames() {
  return {{QUORBEL_FREEDOM_E_POPULATION, "--population", "a whole number >= 1, or infinite"},
          {QUORBEL_FREEDOM_E_SAMPLE, "--sample", "a whole number from 1 to the population"},
          {QUORBEL_FREEDOM_E_PREVALENCE, "--prevalence", kOpen},
          {QUORBEL_FREEDOM_E_SENSITIVITY, "--sensitivity", kProbability},
          {QUORBEL_FREEDOM_E_SPECIFICITY, "--specificity", kProbability},
          {QUORBEL_FREEDOM_E_TARGET, "--target", kOpen},
          {QUORBEL_FREEDOM_E_PRIOR, "--prior", kProbability},
          {QUORBEL_FREEDOM_E_INTRODUCTION, "--introduction", "a proportion, 0 <= value < 1"},
          {QUORBEL_FREEDOM_E_PERIODS, "--sensitivities", kSensitivities},
          {QUORBEL_FREEDOM_E_POOLS, "--pools and --pool-size", "whole numbers >= 1"},
          {QUORBEL_FREEDOM_E_GROUPS, "--groups", kGroups}};
}

// "--sensitivities": one value or more, each a number (its range is the
// library's to check).
std::vector<double> Sensitivities(const Args& args) {
  std::vector<double> values;
  for (const auto& record : args.Records("--sensitivities", 1))
    values.push_back(ParseDouble(record[0], "--sensitivities value " + std::to_string(values.size() + 1)));
  return values;
}

// The diseased units of a finite population, absent for an infinite one.
void PutDiseased(ValueBuilder& json, double diseased) {
  if (diseased > 0) json.Int("diseasedUnits", static_cast<long long>(diseased));
}

QuorbelResult RunSensitivity(const host::Api&, const Args& args) {
  double sensitivity = 0, diseased = 0;
  const QuorbelResult code =
      QuorbelFreedom_Sensitivity(args.Population("--population"), args.Double("--sample"),
                                 args.Double("--prevalence"), args.Double("--sensitivity"), &sensitivity, &diseased);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin();
  PutDiseased(json, diseased);
  json.Double("populationSensitivity", sensitivity).End().Deliver();
  return code;
}

std::string DiseasedText(const Value& answer) {
  return answer.Find("diseasedUnits") != nullptr
             ? "  diseased units at the design prevalence  " + Shown(answer, "diseasedUnits") + "\n"
             : "";
}

std::string SensitivityText(const Value& answer) {
  return "What a surveillance component detects\n\n" + DiseasedText(answer) +
         "  population sensitivity                   " + Shown(answer, "populationSensitivity") + "\n";
}

QuorbelResult RunSampleSize(const host::Api&, const Args& args) {
  QuorbelFreedomSize r{};
  const QuorbelResult code = QuorbelFreedom_SampleSize(args.Population("--population"), args.Double("--prevalence"),
                                                       args.Double("--sensitivity"), args.Double("--target"), &r);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin().Bool("reachable", r.reachable != 0);
  if (r.reachable) json.Int("sampleSize", static_cast<long long>(r.sampleSize));
  json.Double("populationSensitivity", r.sensitivity).End().Deliver();
  if (!r.reachable)
    Warn("target-unreachable", "no sample of this population reaches the target: testing every unit detects the "
                               "disease with probability " + DoubleText(r.sensitivity));
  return code;
}

std::string SampleSizeText(const Value& answer) {
  std::string text = "Sample size to demonstrate freedom from disease\n\n";
  if (!At(answer, "reachable").boolean)
    return text + "  no sample reaches the target; every unit tested gives " +
           Shown(answer, "populationSensitivity") + "\n";
  return text + "  sample size              " + Shown(answer, "sampleSize") +
         "\n  population sensitivity   " + Shown(answer, "populationSensitivity") + "\n";
}

QuorbelResult RunDesignPrevalence(const host::Api&, const Args& args) {
  QuorbelFreedomPrevalence r{};
  const QuorbelResult code =
      QuorbelFreedom_DesignPrevalence(args.Population("--population"), args.Double("--sample"),
                                      args.Double("--sensitivity"), args.Double("--target"), &r);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin().Bool("reachable", r.reachable != 0);
  if (r.reachable) {
    json.Double("prevalence", r.prevalence);
    PutDiseased(json, r.diseased);
  }
  json.End().Deliver();
  if (!r.reachable) Warn("target-unreachable", "this sample demonstrates no design prevalence at the target");
  return code;
}

std::string DesignPrevalenceText(const Value& answer) {
  std::string text = "Design prevalence a sample demonstrates\n\n";
  if (!At(answer, "reachable").boolean) return text + "  none: the sample is too small for the target\n";
  return text + "  design prevalence                        " + Shown(answer, "prevalence") + "\n" +
         DiseasedText(answer);
}

QuorbelResult RunProbability(const host::Api&, const Args& args) {
  const std::vector<double> sensitivities = Sensitivities(args);
  const int32_t periods = static_cast<int32_t>(sensitivities.size());
  std::vector<double> priors(sensitivities.size()), probabilities(sensitivities.size());
  double equilibrium = 0;
  const QuorbelResult code =
      QuorbelFreedom_Probability(args.Double("--prior"), args.Double("--introduction"), periods, sensitivities.data(),
                                 priors.data(), probabilities.data(), &equilibrium);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin().BeginArray("periods");
  for (size_t t = 0; t < sensitivities.size(); ++t)
    json.Begin().Int("period", static_cast<long long>(t + 1)).Double("sensitivity", sensitivities[t])
        .Double("prior", priors[t]).Double("probabilityFree", probabilities[t]).End();
  json.EndArray().Double("equilibrium", equilibrium).End().Deliver();
  return code;
}

std::string ProbabilityText(const Value& answer) {
  std::vector<std::vector<std::string>> rows;
  for (const Value& period : At(answer, "periods").items)
    rows.push_back({Shown(period, "period"), Shown(period, "sensitivity"), Shown(period, "prior"),
                    Shown(period, "probabilityFree")});
  return "Probability of freedom from disease over periods of surveillance\n\n" +
         TableText({"period", "sensitivity", "prior", "probability free"}, rows) +
         "\n  equilibrium, were the last sensitivity to go on   " + Shown(answer, "equilibrium") + "\n";
}

QuorbelResult RunCombine(const host::Api&, const Args& args) {
  const std::vector<double> sensitivities = Sensitivities(args);
  double combined = 0;
  const QuorbelResult code =
      QuorbelFreedom_Combine(static_cast<int32_t>(sensitivities.size()), sensitivities.data(), &combined);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin().Double("combinedSensitivity", combined).End().Deliver();
  return code;
}

std::string CombineText(const Value& answer) {
  return "Independent surveillance components combined\n\n  combined sensitivity   " +
         Shown(answer, "combinedSensitivity") + "\n";
}


QuorbelResult RunPooled(const host::Api&, const Args& args) {
  double sensitivity = 0, specificity = 0;
  const QuorbelResult code =
      QuorbelFreedom_Pooled(args.Double("--prevalence"), args.Double("--pools"), args.Double("--pool-size"),
                            args.Double("--sensitivity"), args.Double("--specificity"), &sensitivity, &specificity);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin().Double("populationSensitivity", sensitivity).Double("populationSpecificity", specificity).End()
      .Deliver();
  return code;
}

std::string PooledFigures(const Value& answer) {
  return "  population sensitivity   " + Shown(answer, "populationSensitivity") + "\n  population specificity   " +
         Shown(answer, "populationSpecificity") + "\n";
}

std::string PooledText(const Value& answer) { return "What pooled tests detect\n\n" + PooledFigures(answer); }

QuorbelResult RunPooledSampleSize(const host::Api&, const Args& args) {
  double pools = 0, sensitivity = 0, specificity = 0;
  const QuorbelResult code = QuorbelFreedom_PooledSampleSize(
      args.Double("--prevalence"), args.Double("--pool-size"), args.Double("--sensitivity"),
      args.Double("--specificity"), args.Double("--target"), &pools, &sensitivity, &specificity);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin().Bool("reachable", pools > 0);
  if (pools > 0)
    json.Int("pools", static_cast<long long>(pools)).Double("populationSensitivity", sensitivity)
        .Double("populationSpecificity", specificity);
  json.End().Deliver();
  if (!(pools > 0)) Warn("target-unreachable", "no number of pools up to 2147483647 reaches the target");
  return code;
}

std::string PooledSampleSizeText(const Value& answer) {
  std::string text = "Pools to demonstrate freedom from disease\n\n";
  if (!At(answer, "reachable").boolean) return text + "  no number of pools reaches the target\n";
  return text + "  pools                    " + Shown(answer, "pools") + "\n" + PooledFigures(answer);
}

// "--groups": relative-risk:share:units:sensitivity per group (units are
// the allocation, a share of the sample, for a sample size).
std::vector<QuorbelFreedomGroup> Groups(const Args& args) {
  std::vector<QuorbelFreedomGroup> groups;
  for (const auto& record : args.Records("--groups", 4)) {
    const std::string what = "--groups group " + std::to_string(groups.size() + 1);
    groups.push_back({ParseDouble(record[0], what + " relative risk"), ParseDouble(record[1], what + " share"),
                      ParseDouble(record[2], what + " units"), ParseDouble(record[3], what + " sensitivity"), 0, 0});
  }
  return groups;
}

void PutGroups(ValueBuilder& json, const std::vector<QuorbelFreedomGroup>& groups) {
  json.BeginArray("groups");
  for (size_t g = 0; g < groups.size(); ++g)
    json.Begin().Int("group", static_cast<long long>(g + 1)).Double("relativeRisk", groups[g].relativeRisk)
        .Double("share", groups[g].share).Int("units", static_cast<long long>(groups[g].sampled))
        .Double("adjustedRisk", groups[g].adjustedRisk)
        .Double("effectiveProbability", groups[g].effectiveProbability).End();
  json.EndArray();
}

QuorbelResult RunRiskBased(const host::Api&, const Args& args) {
  std::vector<QuorbelFreedomGroup> groups = Groups(args);
  double sensitivity = 0;
  const QuorbelResult code = QuorbelFreedom_RiskBased(args.Double("--prevalence"),
                                                      static_cast<int32_t>(groups.size()), groups.data(), &sensitivity);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin();
  PutGroups(json, groups);
  json.Double("populationSensitivity", sensitivity).End().Deliver();
  return code;
}

QuorbelResult RunRiskBasedSampleSize(const host::Api&, const Args& args) {
  std::vector<QuorbelFreedomGroup> groups = Groups(args);
  double total = 0, sensitivity = 0;
  const QuorbelResult code =
      QuorbelFreedom_RiskBasedSampleSize(args.Double("--prevalence"), args.Double("--target"),
                                         static_cast<int32_t>(groups.size()), groups.data(), &total, &sensitivity);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin().Bool("reachable", total > 0);
  if (total > 0) {
    PutGroups(json, groups);
    json.Int("sampleSize", static_cast<long long>(total)).Double("populationSensitivity", sensitivity);
  }
  json.End().Deliver();
  if (!(total > 0)) Warn("target-unreachable", "no sample up to 2147483647 units reaches the target");
  return code;
}

std::string RiskBasedText(const Value& answer) {
  const bool sized = answer.Find("reachable") != nullptr;
  std::string text = sized ? "Risk-based sample to demonstrate freedom from disease\n\n"
                           : "What a risk-based sample detects\n\n";
  if (sized && !At(answer, "reachable").boolean) return text + "  no sample reaches the target\n";
  std::vector<std::vector<std::string>> rows;
  for (const Value& group : At(answer, "groups").items)
    rows.push_back({Shown(group, "group"), Shown(group, "relativeRisk"), Shown(group, "share"), Shown(group, "units"),
                    Shown(group, "adjustedRisk"), Shown(group, "effectiveProbability")});
  text += TableText({"group", "relative risk", "share", "units", "adjusted risk", "effective probability"}, rows);
  if (answer.Find("sampleSize") != nullptr) text += "\n  sample size              " + Shown(answer, "sampleSize");
  return text + "\n  population sensitivity   " + Shown(answer, "populationSensitivity") + "\n";
}

}  // namespace

void AddFreedomCommands(std::vector<Command>& commands) {
  const Option population{"--population", OptionKind::kPopulation, "a whole number >= 1, or infinite", true,
                          "infinite"};
  const Option prevalence{"--prevalence", OptionKind::kProportion, "design prevalence, 0 < value < 1"};
  const Option sensitivity{"--sensitivity", OptionKind::kProportion, "unit sensitivity, 0 < value <= 1", true, "1"};
  const Option target{"--target", OptionKind::kProportion, "population sensitivity to reach, 0 < value < 1", true,
                      "0.95"};
  const Option sensitivities{"--sensitivities", OptionKind::kRecords, kSensitivities};
  commands.push_back({"freedom", "sensitivity", "the probability that a sample detects disease at a design prevalence",
                      {population, {"--sample", OptionKind::kCount, "units tested, 0 to the population"}, prevalence,
                       sensitivity},
                      FreedomBlames(), RunSensitivity, SensitivityText});
  commands.push_back({"freedom", "sample-size", "the smallest sample whose population sensitivity reaches the target",
                      {population, prevalence, sensitivity, target}, FreedomBlames(), RunSampleSize, SampleSizeText});
  commands.push_back({"freedom", "design-prevalence", "the design prevalence a sample demonstrates at the target",
                      {population, {"--sample", OptionKind::kCount, "units tested, 1 to the population"}, sensitivity,
                       target},
                      FreedomBlames(), RunDesignPrevalence, DesignPrevalenceText});
  commands.push_back({"freedom", "probability", "the probability of freedom after each period of surveillance",
                      {{"--prior", OptionKind::kProportion, "prior probability of freedom, 0 < value <= 1", true, "0.5"},
                       {"--introduction", OptionKind::kReal, "probability of introduction per period, 0 <= value < 1",
                        true, "0"},
                       sensitivities},
                      FreedomBlames(), RunProbability, ProbabilityText});
  commands.push_back({"freedom", "combine", "the sensitivity of independent components together",
                      {sensitivities}, FreedomBlames(), RunCombine, CombineText});
  const Option specificity{"--specificity", OptionKind::kProportion, "pool specificity, 0 < value <= 1", true, "1"};
  const Option poolSize{"--pool-size", OptionKind::kCount, "units per pool, at least 1"};
  commands.push_back({"freedom", "pooled", "the probability that pooled tests detect disease at a design prevalence",
                      {prevalence, {"--pools", OptionKind::kCount, "pools tested, at least 1"}, poolSize,
                       {"--sensitivity", OptionKind::kProportion, "pool sensitivity, 0 < value <= 1", true, "1"},
                       specificity},
                      FreedomBlames(), RunPooled, PooledText});
  commands.push_back({"freedom", "pooled-sample-size", "the fewest pools whose population sensitivity reaches the target",
                      {prevalence, poolSize,
                       {"--sensitivity", OptionKind::kProportion, "pool sensitivity, 0 < value <= 1", true, "1"},
                       specificity, target},
                      FreedomBlames(), RunPooledSampleSize, PooledSampleSizeText});
  commands.push_back({"freedom", "risk-based", "the probability that a sample weighted by risk detects disease",
                      {prevalence, {"--groups", OptionKind::kRecords, kGroups}}, FreedomBlames(), RunRiskBased,
                      RiskBasedText});
  commands.push_back({"freedom", "risk-based-sample-size",
                      "the smallest sample split by risk group that reaches the target",
                      {prevalence,
                       {"--groups", OptionKind::kRecords,
                        "groups relative-risk:share:allocation:sensitivity separated by ',' (allocations: the shares "
                        "of the sample, not all 0)"},
                       target},
                      FreedomBlames(), RunRiskBasedSampleSize, RiskBasedText});
}

}  // namespace quorbel::commands
