// Commands of freedom from disease: what a surveillance component detects
// (simple, risk-based or pooled), the sample it needs, the prevalence it
// demonstrates, the probability that a population is free after periods of
// surveillance, and components combined.
#include <cmath>
#include <vector>

#include "command.h"
#include "output.h"
#include "quorbel_freedom.h"

namespace quorbel::commands {
namespace {

constexpr const char* kOpen = "a proportion, 0 < value < 1";
constexpr const char* kProbability = "a proportion, 0 < value <= 1";
constexpr const char* kPeriods = "proportions 0 to 1 separated by ','";
constexpr const char* kGroups =
    "groups RR:SHARE:UNITS[:SE] separated by ',' (relative risks > 0, shares summing to 1, units whole, and a "
    "group's effective probability of infection at most 1)";

std::vector<CodeBlame> FreedomBlames(const char* sensitivity = "--sensitivity") {
  return {{QUORBEL_FREEDOM_E_POPULATION, "--population", "a whole number >= 1, or infinite"},
          {QUORBEL_FREEDOM_E_SAMPLE, "--sample", "a whole number no larger than the population"},
          {QUORBEL_FREEDOM_E_PREVALENCE, "--prevalence", kOpen},
          {QUORBEL_FREEDOM_E_SENSITIVITY, sensitivity, kProbability},
          {QUORBEL_FREEDOM_E_SPECIFICITY, "--specificity", kProbability},
          {QUORBEL_FREEDOM_E_TARGET, "--target", kOpen},
          {QUORBEL_FREEDOM_E_GROUPS, "--risk-groups", kGroups},
          {QUORBEL_FREEDOM_E_POOLS, "--pools and --pool-size", "whole numbers >= 1"},
          {QUORBEL_FREEDOM_E_PRIOR, "--prior", kProbability},
          {QUORBEL_FREEDOM_E_INTRODUCTION, "--introduction", "a proportion, 0 <= value < 1"},
          {QUORBEL_FREEDOM_E_PERIODS, sensitivity, kPeriods}};
}

// Refuses a code the library gave for an argument other than the one the
// command's blames name for it.
void Refuse(QuorbelResult code, const char* argument, const char* allowed) {
  if (code != QUORBEL_OK) throw Rejection(argument, allowed, code);
}

// Options that belong to another form of the command than the one chosen.
void RefuseOthers(const Args& args, std::initializer_list<const char*> names, const char* form) {
  for (const char* name : names)
    if (args.Given(name)) throw UsageError(name, std::string(name) + " does not belong to the " + form + " form");
}

void Require(const Args& args, const char* name, const char* form) {
  if (!args.Given(name)) throw UsageError(name, std::string("the ") + form + " form needs " + name);
}

// An option that only some forms read: its value, or its default, which
// then joins the settings in effect (so a form shows only what it used).
double ValueOr(const Args& args, const char* name, const char* argument, double fallback) {
  if (args.Has(name)) return args.Double(name);
  SetInEffect(argument, Value::Double(fallback));
  return fallback;
}

double PopulationOf(const Args& args) {
  if (args.Has("--population")) return args.Population("--population");
  SetInEffect("population", Value::String("infinite"));
  return HUGE_VAL;
}

double SpecificityOf(const Args& args) { return ValueOr(args, "--specificity", "specificity", 1); }
double TargetOf(const Args& args) { return ValueOr(args, "--target", "target", 0.95); }

// "--sensitivity S1,S2,...": one value or more (their range is the
// library's to check), each named by its place when it is not a number.
std::vector<double> Values(const Args& args) {
  std::vector<double> values;
  for (const auto& record : args.Records("--sensitivity", 1))
    values.push_back(ParseDouble(record[0], "--sensitivity value " + std::to_string(values.size() + 1)));
  return values;
}

// "--risk-groups RR:SHARE:UNITS[:SE],...": a group without SE takes
// --sensitivity (1 when not given).
std::vector<QuorbelFreedomGroup> Groups(const Args& args) {
  std::vector<QuorbelFreedomGroup> groups;
  const double sensitivity = args.Double("--sensitivity");
  for (const auto& record : args.Records("--risk-groups", 3, 4)) {
    const std::string what = "--risk-groups group " + std::to_string(groups.size() + 1);
    groups.push_back({ParseDouble(record[0], what + " relative risk"), ParseDouble(record[1], what + " share"),
                      ParseDouble(record[2], what + " units"),
                      record.size() == 4 ? ParseDouble(record[3], what + " sensitivity") : sensitivity, 0, 0});
  }
  return groups;
}

void PutGroups(ValueBuilder& json, const std::vector<QuorbelFreedomGroup>& groups, const char* units) {
  json.BeginArray("groups");
  for (size_t g = 0; g < groups.size(); ++g)
    json.Begin().Int("group", static_cast<long long>(g + 1)).Double("relativeRisk", groups[g].relativeRisk)
        .Double("share", groups[g].share).Int(units, static_cast<long long>(groups[g].sampled))
        .Double("testSensitivity", groups[g].sensitivity).Double("adjustedRisk", groups[g].adjustedRisk)
        .Double("effectiveProbability", groups[g].effectiveProbability).End();
  json.EndArray();
}

std::string GroupsText(const Value& answer, const char* units) {
  std::vector<std::vector<std::string>> rows;
  for (const Value& group : At(answer, "groups").items)
    rows.push_back({Shown(group, "group"), Shown(group, "relativeRisk"), Shown(group, "share"), Shown(group, units),
                    Shown(group, "testSensitivity"), Shown(group, "adjustedRisk"),
                    Shown(group, "effectiveProbability")});
  return TableText({"group", "relative risk", "share", "units", "sensitivity", "adjusted risk", "effective probability"},
                   rows);
}

// --- freedom sensitivity ---

QuorbelResult SimpleSensitivity(const Args& args, ValueBuilder& json) {
  RefuseOthers(args, {"--pools", "--pool-size", "--specificity"}, "simple");
  Require(args, "--sample", "simple");
  double sensitivity = 0, diseased = 0;
  const QuorbelResult code =
      QuorbelFreedom_Sensitivity(PopulationOf(args), args.Double("--sample"),
                                 args.Double("--prevalence"), args.Double("--sensitivity"), &sensitivity, &diseased);
  if (code != QUORBEL_OK) return code;
  json.Begin().String("form", "simple");
  if (diseased > 0) json.Int("diseasedUnits", static_cast<long long>(diseased));
  json.Double("sensitivity", sensitivity).End();
  return code;
}

QuorbelResult RiskBasedSensitivity(const Args& args, ValueBuilder& json) {
  RefuseOthers(args, {"--sample", "--population", "--pools", "--pool-size", "--specificity"}, "risk-based");
  std::vector<QuorbelFreedomGroup> groups = Groups(args);
  double sensitivity = 0;
  const QuorbelResult code = QuorbelFreedom_RiskBased(args.Double("--prevalence"),
                                                      static_cast<int32_t>(groups.size()), groups.data(), &sensitivity);
  if (code != QUORBEL_OK) return code;
  json.Begin().String("form", "risk-based");
  PutGroups(json, groups, "sampled");
  json.Double("sensitivity", sensitivity).End();
  return code;
}

QuorbelResult PooledSensitivity(const Args& args, ValueBuilder& json) {
  RefuseOthers(args, {"--sample", "--population"}, "pooled");
  Require(args, "--pools", "pooled");
  Require(args, "--pool-size", "pooled");
  double sensitivity = 0, specificity = 0;
  const QuorbelResult code =
      QuorbelFreedom_Pooled(args.Double("--prevalence"), args.Double("--pools"), args.Double("--pool-size"),
                            args.Double("--sensitivity"), SpecificityOf(args), &sensitivity, &specificity);
  if (code != QUORBEL_OK) return code;
  json.Begin().String("form", "pooled").Double("sensitivity", sensitivity).Double("specificity", specificity).End();
  return code;
}

QuorbelResult RunSensitivity(const host::Api&, const Args& args) {
  ValueBuilder json;
  const QuorbelResult code = args.Given("--risk-groups") ? RiskBasedSensitivity(args, json)
                             : args.Given("--pools") || args.Given("--pool-size") ? PooledSensitivity(args, json)
                                                                              : SimpleSensitivity(args, json);
  if (code == QUORBEL_OK) json.Deliver();
  return code;
}

std::string SensitivityText(const Value& answer) {
  const std::string form = At(answer, "form").text;
  std::string text = "What a " + form + " surveillance component detects\n\n";
  if (form == "risk-based") text += GroupsText(answer, "sampled") + "\n";
  if (answer.Find("diseasedUnits") != nullptr)
    text += "  diseased units at the design prevalence  " + Shown(answer, "diseasedUnits") + "\n";
  text += "  population sensitivity                   " + Shown(answer, "sensitivity") + "\n";
  if (form == "pooled") text += "  population specificity                   " + Shown(answer, "specificity") + "\n";
  return text + "\nWere the disease present at " + ScalarText(Setting(answer, "prevalence")) +
         ", this component would find it with probability " + Shown(answer, "sensitivity") + ".\n";
}

// --- freedom sample-size ---

// The population sensitivity the simple form aims at: --target, or what
// one period needs for --probability-target after --prior and
// --introduction (0 when the prior already gives it).
double SimpleTarget(const Args& args, ValueBuilder& json) {
  if (!args.Given("--probability-target")) {
    RefuseOthers(args, {"--prior", "--introduction"}, "simple (without --probability-target)");
    return TargetOf(args);
  }
  RefuseOthers(args, {"--target"}, "--probability-target");
  Require(args, "--prior", "--probability-target");
  double needed = 0;
  const QuorbelResult code = QuorbelFreedom_SensitivityNeeded(
      args.Double("--prior"), args.DoubleOr("--introduction", 0), args.Double("--probability-target"), &needed);
  if (code == QUORBEL_FREEDOM_E_TARGET) Refuse(code, "--probability-target", kOpen);
  Refuse(code, code == QUORBEL_FREEDOM_E_PRIOR ? "--prior" : "--introduction",
         code == QUORBEL_FREEDOM_E_PRIOR ? kProbability : "a proportion, 0 <= value < 1");
  json.Double("sensitivityNeeded", needed);
  return needed;
}

QuorbelResult SimpleSampleSize(const Args& args, ValueBuilder& json) {
  RefuseOthers(args, {"--specificity"}, "simple");
  json.Begin().String("form", "simple");
  const double target = SimpleTarget(args, json);
  const double population = PopulationOf(args);
  QuorbelFreedomSize r{1, 0, 0, 0};
  // Nothing to test when the prior already gives the probability asked
  // for; the other arguments are still checked, by a sample of none.
  double diseased = 0;
  const QuorbelResult code =
      target > 0 ? QuorbelFreedom_SampleSize(population, args.Double("--prevalence"), args.Double("--sensitivity"),
                                             target, &r)
                 : QuorbelFreedom_Sensitivity(population, 0, args.Double("--prevalence"), args.Double("--sensitivity"),
                                              &r.sensitivity, &diseased);
  if (code != QUORBEL_OK) return code;
  json.Bool("reachable", r.reachable != 0);
  if (r.reachable) json.Int("sampleSize", static_cast<long long>(r.sampleSize));
  json.Double("sensitivity", r.sensitivity).End();
  if (!r.reachable)
    Warn("target-unreachable", "no sample of this population reaches the target: testing every unit detects the "
                               "disease with probability " + DoubleText(r.sensitivity));
  return QUORBEL_OK;
}

QuorbelResult RiskBasedSampleSize(const Args& args, ValueBuilder& json) {
  RefuseOthers(args, {"--population", "--specificity", "--probability-target", "--prior", "--introduction"},
               "risk-based");
  std::vector<QuorbelFreedomGroup> groups = Groups(args);
  double total = 0, sensitivity = 0;
  const QuorbelResult code =
      QuorbelFreedom_RiskBasedSampleSize(args.Double("--prevalence"), TargetOf(args),
                                         static_cast<int32_t>(groups.size()), groups.data(), &total, &sensitivity);
  if (code != QUORBEL_OK) return code;
  json.Begin().String("form", "risk-based").Bool("reachable", total > 0);
  if (total > 0) {
    PutGroups(json, groups, "sampleSize");
    json.Int("sampleSize", static_cast<long long>(total)).Double("sensitivity", sensitivity);
  }
  json.End();
  if (!(total > 0)) Warn("target-unreachable", "no sample up to 2147483647 units reaches the target");
  return code;
}

QuorbelResult PooledSampleSize(const Args& args, ValueBuilder& json) {
  RefuseOthers(args, {"--population", "--pools", "--probability-target", "--prior", "--introduction"}, "pooled");
  double pools = 0, sensitivity = 0, specificity = 0;
  const QuorbelResult code = QuorbelFreedom_PooledSampleSize(
      args.Double("--prevalence"), args.Double("--pool-size"), args.Double("--sensitivity"),
      SpecificityOf(args), TargetOf(args), &pools, &sensitivity, &specificity);
  if (code != QUORBEL_OK) return code;
  json.Begin().String("form", "pooled").Bool("reachable", pools > 0);
  if (pools > 0)
    json.Int("pools", static_cast<long long>(pools)).Double("sensitivity", sensitivity)
        .Double("specificity", specificity);
  json.End();
  if (!(pools > 0)) Warn("target-unreachable", "no number of pools up to 2147483647 reaches the target");
  return code;
}

QuorbelResult RunSampleSize(const host::Api&, const Args& args) {
  ValueBuilder json;
  const QuorbelResult code = args.Given("--risk-groups") ? RiskBasedSampleSize(args, json)
                             : args.Given("--pool-size")  ? PooledSampleSize(args, json)
                                                        : SimpleSampleSize(args, json);
  if (code == QUORBEL_OK) json.Deliver();
  return code;
}

std::string SampleSizeText(const Value& answer) {
  const std::string form = At(answer, "form").text;
  std::string text = "Sample size to demonstrate freedom from disease (" + form + ")\n\n";
  if (answer.Find("sensitivityNeeded") != nullptr)
    text += "  population sensitivity needed   " + Shown(answer, "sensitivityNeeded") + "\n";
  if (!At(answer, "reachable").boolean)
    return text + "  no sample reaches the target" +
           (answer.Find("sensitivity") != nullptr ? "; testing every unit gives " + Shown(answer, "sensitivity")
                                                  : std::string()) + "\n";
  if (form == "risk-based") text += GroupsText(answer, "sampleSize") + "\n";
  const char* count = form == "pooled" ? "pools" : "sampleSize";
  text += Format("  %-31s %s\n  population sensitivity          %s\n", form == "pooled" ? "pools" : "sample size",
                 Shown(answer, count).c_str(), Shown(answer, "sensitivity").c_str());
  if (form == "pooled")
    text += "  population specificity          " + Shown(answer, "specificity") +
            "\n\nEach pool that reacts falsely also counts: the population specificity falls as pools are added.\n";
  if (answer.Find("sensitivityNeeded") != nullptr && Number(answer, "sensitivityNeeded") == 0)
    return text + "\nThe prior already gives the probability of freedom asked for: no testing is needed.\n";
  return text + "\nWere the disease present at " + ScalarText(Setting(answer, "prevalence")) + ", " +
         Shown(answer, count) + (form == "pooled" ? " pools" : " units") + " would find it with probability " +
         Shown(answer, "sensitivity") + ".\n";
}

// --- freedom design-prevalence ---

QuorbelResult RunDesignPrevalence(const host::Api&, const Args& args) {
  const double population = args.Population("--population");
  QuorbelFreedomPrevalence r{};
  const QuorbelResult code = QuorbelFreedom_DesignPrevalence(population, args.Double("--sample"),
                                                             args.Double("--sensitivity"), args.Double("--target"), &r);
  if (code != QUORBEL_OK) return code;
  const bool finite = std::isfinite(population);
  if (!finite && !r.reachable)
    Refuse(QUORBEL_FREEDOM_E_SAMPLE, "--sample",
           "large enough to demonstrate a design prevalence of at most 1 at this target and sensitivity");
  ValueBuilder json;
  json.Begin();
  if (r.reachable) json.Double("prevalence", r.prevalence);
  if (finite) {
    json.Bool("reachable", r.reachable != 0);
    if (r.reachable) json.Int("diseased", static_cast<long long>(r.diseased));
  }
  json.End().Deliver();
  if (!r.reachable) Warn("target-unreachable", "even every unit diseased is not found with the target probability");
  return code;
}

std::string DesignPrevalenceText(const Value& answer) {
  std::string text = "Design prevalence a sample demonstrates\n\n";
  if (answer.Find("prevalence") == nullptr) return text + "  none: the sample cannot reach the target\n";
  text += "  design prevalence   " + Shown(answer, "prevalence") + "\n";
  if (answer.Find("diseased") != nullptr) text += "  diseased units      " + Shown(answer, "diseased") + "\n";
  return text + "\nA negative sample shows, with probability " + ScalarText(Setting(answer, "target")) +
         ", that the prevalence is below " + Shown(answer, "prevalence") + ".\n";
}

// --- freedom probability and combine ---

QuorbelResult RunProbability(const host::Api&, const Args& args) {
  const std::vector<double> periods = Values(args);
  std::vector<double> priors(periods.size()), probabilities(periods.size());
  double equilibrium = 0;
  const QuorbelResult code =
      QuorbelFreedom_Probability(args.Double("--prior"), args.Double("--introduction"),
                                 static_cast<int32_t>(periods.size()), periods.data(), priors.data(),
                                 probabilities.data(), &equilibrium);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin().BeginArray("periods");
  for (size_t t = 0; t < periods.size(); ++t)
    json.Begin().Int("period", static_cast<long long>(t + 1)).Double("sensitivity", periods[t])
        .Double("prior", priors[t]).Double("probability", probabilities[t]).End();
  json.EndArray().Double("equilibrium", equilibrium).End().Deliver();
  return code;
}

std::string ProbabilityText(const Value& answer) {
  const auto& periods = At(answer, "periods").items;
  std::vector<std::vector<std::string>> rows;
  for (const Value& period : periods)
    rows.push_back({Shown(period, "period"), Shown(period, "sensitivity"), Shown(period, "prior"),
                    Shown(period, "probability")});
  return "Probability of freedom from disease over periods of surveillance\n\n" +
         TableText({"period", "sensitivity", "prior", "probability free"}, rows) +
         "\n  equilibrium, were the last sensitivity to go on   " + Shown(answer, "equilibrium") + "\n\nAfter " +
         std::to_string(periods.size()) + (periods.size() == 1 ? " period" : " periods") +
         " of negative surveillance the probability that the population is free is " +
         Shown(periods.back(), "probability") + ".\n";
}

QuorbelResult RunCombine(const host::Api&, const Args& args) {
  const std::vector<double> components = Values(args);
  double combined = 0;
  const QuorbelResult code =
      QuorbelFreedom_Combine(static_cast<int32_t>(components.size()), components.data(), &combined);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin().Double("sensitivity", combined).End().Deliver();
  return code;
}

std::string CombineText(const Value& answer) {
  return "Independent surveillance components combined\n\n  combined sensitivity   " + Shown(answer, "sensitivity") +
         "\n\nTogether the components would find the disease, were it present, with probability " +
         Shown(answer, "sensitivity") + ".\n";
}

}  // namespace

void AddFreedomCommands(std::vector<Command>& commands) {
  const Option population{"--population", OptionKind::kPopulation, "a whole number >= 1, or infinite", true,
                          "infinite"};
  const Option simplePopulation{"--population", OptionKind::kPopulation,
                                "a whole number >= 1, or infinite (simple form; default infinite)", true};
  const Option prevalence{"--prevalence", OptionKind::kProportion, "design prevalence, 0 < value < 1"};
  const Option sensitivity{"--sensitivity", OptionKind::kProportion,
                           "test sensitivity (of a unit, or of a pool), 0 < value <= 1", true, "1"};
  const Option specificity{"--specificity", OptionKind::kProportion,
                           "specificity of the test on a pool, 0 < value <= 1 (pooled form; default 1)", true};
  const Option target{"--target", OptionKind::kProportion, "population sensitivity to reach, 0 < value < 1", true,
                      "0.95"};
  const Option formTarget{"--target", OptionKind::kProportion,
                          "population sensitivity to reach, 0 < value < 1 (default 0.95)", true};
  const Option poolSize{"--pool-size", OptionKind::kCount, "units per pool, at least 1 (pooled form)", true};
  const Option periods{"--sensitivity", OptionKind::kRecords, kPeriods, false, nullptr, nullptr,
                       "Sensitivities of the periods", "proportions"};
  const Option components{"--sensitivity", OptionKind::kRecords, kPeriods, false, nullptr, nullptr,
                          "Sensitivities of the components", "proportions"};
  commands.push_back(
      {"freedom", "sensitivity", "the probability that a simple, risk-based or pooled component detects disease",
       {prevalence, sensitivity,
        {"--sample", OptionKind::kCount, "units tested, 0 to the population (simple form)", true},
        simplePopulation, {"--risk-groups", OptionKind::kRecords, kGroups, true},
        {"--pools", OptionKind::kCount, "pools tested, at least 1 (pooled form)", true}, poolSize, specificity},
       FreedomBlames(), RunSensitivity, SensitivityText});
  commands.push_back(
      {"freedom", "sample-size", "the smallest sample (or number of pools) that reaches the target",
       {prevalence, sensitivity, formTarget, simplePopulation,
        {"--risk-groups", OptionKind::kRecords,
         "groups RR:SHARE:ALLOCATION[:SE] separated by ',' (allocations: the shares of the sample, not all 0)", true},
        poolSize, specificity,
        {"--probability-target", OptionKind::kProportion, "probability of freedom to reach, 0 < value < 1", true},
        {"--prior", OptionKind::kProportion, "prior probability of freedom, 0 < value <= 1", true},
        {"--introduction", OptionKind::kReal, "probability of introduction per period, 0 <= value < 1", true}},
       FreedomBlames(), RunSampleSize, SampleSizeText});
  commands.push_back({"freedom", "design-prevalence", "the design prevalence a negative sample demonstrates",
                      {{"--sample", OptionKind::kCount, "units tested, 1 to the population"}, sensitivity, target,
                       population},
                      FreedomBlames(), RunDesignPrevalence, DesignPrevalenceText});
  commands.push_back({"freedom", "probability", "the probability of freedom after each period of surveillance",
                      {{"--prior", OptionKind::kProportion, "prior probability of freedom, 0 < value <= 1", true, "0.5"},
                       {"--introduction", OptionKind::kReal, "probability of introduction per period, 0 <= value < 1",
                        true, "0"},
                       periods},
                      FreedomBlames(), RunProbability, ProbabilityText});
  commands.push_back({"freedom", "combine", "the sensitivity of independent components together", {components},
                      FreedomBlames(), RunCombine, CombineText});
  AddFreedomTwoStageCommand(commands);
}

}  // namespace quorbel::commands
