// Commands of the exact layer: what a detection design achieves, the exact
// design, and intervals of a proportion.
#include <cmath>
#include <cstdio>

#include "exact.h"

namespace quorbel::commands {
namespace {

QuorbelResult RunEvaluate(const host::Api&, const Args& args) {
  const double population = args.Population("--population");
  QuorbelExactEvaluation r{};
  const QuorbelResult code = QuorbelExact_Evaluate(population, args.Int("--sample"), args.Double("--prevalence"),
                                                   args.Double("--sensitivity"), args.Double("--specificity"),
                                                   args.Int("--positive-at"), &r);
  if (code != QUORBEL_OK) return code;
  WarnIfWorseThanChance(args.Double("--sensitivity"), args.Double("--specificity"));
  if (args.json()) {
    ValueBuilder json;
    json.Begin();
    if (std::isfinite(r.diseasedUnits)) json.Int("diseasedUnits", static_cast<long long>(r.diseasedUnits));
    json.Double("populationSensitivity", r.populationSensitivity)
        .Double("populationSpecificity", r.populationSpecificity).End().Deliver();
    return code;
  }
  std::printf("What a detection design achieves (exact)\n\n");
  if (std::isfinite(r.diseasedUnits))
    std::printf("  diseased units at the design prevalence  %.0f\n", r.diseasedUnits);
  std::printf("  population sensitivity                   %s\n  population specificity                   %s\n",
              DoubleText(r.populationSensitivity).c_str(), DoubleText(r.populationSpecificity).c_str());
  return code;
}

QuorbelResult RunExactDesign(const host::Api&, const Args& args) {
  const double level = args.Double("--confidence");
  QuorbelExactDesign d{};
  const QuorbelResult code =
      QuorbelExact_Design(args.Population("--population"), args.Double("--prevalence"), args.Double("--sensitivity"),
                          args.Double("--specificity"), level, args.Double("--specificity-target"), &d);
  if (code != QUORBEL_OK) return code;
  if (args.json()) {
    ValueBuilder json;
    WriteDesign(json, nullptr, d);
    json.Deliver();
    return code;
  }
  std::printf("Exact design to detect disease (the smallest sample reaching %s %%)\n\n", DoubleText(level).c_str());
  PrintDesign(d, level);
  return code;
}

QuorbelResult RunProportion(const host::Api&, const Args& args) {
  const int x = args.Int("--positives"), n = args.Int("--sample");
  const double level = args.Double("--confidence");
  QuorbelExactProportion r{};
  const QuorbelResult code = QuorbelExact_ProportionIntervals(x, n, level, &r);
  if (code != QUORBEL_OK) return code;
  const struct {
    const char* key;
    const char* label;
    QuorbelExactInterval interval;
  } methods[] = {{"wald", "Wald", r.wald},
                 {"wilson", "Wilson (score)", r.wilson},
                 {"clopperPearson", "Clopper-Pearson (exact)", r.clopperPearson},
                 {"jeffreys", "Jeffreys", r.jeffreys},
                 {"agrestiCoull", "Agresti-Coull", r.agrestiCoull}};
  if (args.json()) {
    ValueBuilder json;
    json.Begin().Double("proportion", r.proportion).Double("z", r.z);
    for (const auto& m : methods) json.Interval(m.key, m.interval.lower, m.interval.upper);
    json.End().Deliver();
    return code;
  }
  std::printf("Confidence intervals of the proportion %d / %d = %s at %s %% (z = %s)\n\n", x, n,
              DoubleText(r.proportion).c_str(), DoubleText(level).c_str(), DoubleText(r.z).c_str());
  std::vector<std::vector<std::string>> rows;
  for (const auto& m : methods)
    rows.push_back({m.label, DoubleText(m.interval.lower), DoubleText(m.interval.upper)});
  PrintTable({"method", "lower", "upper"}, rows);
  return code;
}

constexpr const char* kProportionText = "a proportion, 0 < value <= 1";

}  // namespace

void AddExactCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"detect", "evaluate", "population sensitivity and specificity a detection design really achieves",
       {{"--population", OptionKind::kPopulation, "a whole number >= 1, or infinite"},
        {"--sample", OptionKind::kCount, "animals tested, 1 to the population"},
        {"--prevalence", OptionKind::kProportion, "design prevalence, 0 < value <= 1"},
        {"--sensitivity", OptionKind::kProportion, kProportionText},
        {"--specificity", OptionKind::kProportion, kProportionText},
        {"--positive-at", OptionKind::kCount, "reactors from which the population is declared infected, 1 to the sample"}},
       ExactBlames(), RunEvaluate});
  commands.push_back(
      {"detect", "exact", "the smallest sample whose exact population sensitivity reaches the confidence",
       {{"--population", OptionKind::kPopulation, "a whole number >= 1, or infinite"},
        {"--prevalence", OptionKind::kProportion, kProportionText},
        {"--sensitivity", OptionKind::kProportion, kProportionText},
        {"--specificity", OptionKind::kProportion, kProportionText},
        {"--confidence", OptionKind::kLevel, "a percentage from 50 to 99.99", true, "95"},
        {"--specificity-target", OptionKind::kProportion, "population specificity to keep, 0 < value <= 1", true, "0.95"}},
       ExactBlames(), RunExactDesign});
  commands.push_back({"interval", "proportion", "Wald, Wilson, Clopper-Pearson, Jeffreys and Agresti-Coull intervals",
                      {{"--positives", OptionKind::kCount, "a whole number, 0 to --sample"},
                       {"--sample", OptionKind::kCount, "animals tested, at least 1"},
                       {"--confidence", OptionKind::kLevel, "a percentage from 50 to 99.99", true, "95"}},
                      ExactBlames(), RunProportion, {}, ZRule::kExact});
}

}  // namespace quorbel::commands
