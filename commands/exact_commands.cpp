// Commands of the exact layer: what a detection design achieves, the exact
// design, and intervals of a proportion.
#include <cmath>

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
  ValueBuilder json;
  json.Begin();
  if (std::isfinite(r.diseasedUnits)) json.Int("diseasedUnits", static_cast<long long>(r.diseasedUnits));
  json.Double("populationSensitivity", r.populationSensitivity)
      .Double("populationSpecificity", r.populationSpecificity).End().Deliver();
  return code;
}

std::string EvaluateText(const Value& answer) {
  std::string text = "What a detection design achieves (exact)\n\n";
  if (answer.Find("diseasedUnits") != nullptr)
    text += "  diseased units at the design prevalence  " + Shown(answer, "diseasedUnits") + "\n";
  return text + Format("  population sensitivity                   %s\n  population specificity                   %s\n",
                       Shown(answer, "populationSensitivity").c_str(), Shown(answer, "populationSpecificity").c_str());
}

QuorbelResult RunExactDesign(const host::Api&, const Args& args) {
  QuorbelExactDesign d{};
  const QuorbelResult code =
      QuorbelExact_Design(args.Population("--population"), args.Double("--prevalence"), args.Double("--sensitivity"),
                          args.Double("--specificity"), args.Double("--confidence"),
                          args.Double("--specificity-target"), &d);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  WriteDesign(json, nullptr, d);
  json.Deliver();
  return code;
}

std::string ExactDesignText(const Value& answer) {
  const std::string level = ScalarText(Setting(answer, "confidence"));
  return Format("Exact design to detect disease (the smallest sample reaching %s %%)\n\n", level.c_str()) +
         DesignText(answer, level);
}

// The five intervals, by key and label, in the order they are shown.
constexpr const char* kMethods[][2] = {{"wald", "Wald"},
                                       {"wilson", "Wilson (score)"},
                                       {"clopperPearson", "Clopper-Pearson (exact)"},
                                       {"jeffreys", "Jeffreys"},
                                       {"agrestiCoull", "Agresti-Coull"},
                                       {"blaker", "Blaker"},
                                       {"sterne", "Sterne"}};

QuorbelResult RunProportion(const host::Api&, const Args& args) {
  QuorbelExactProportion r{};
  const QuorbelResult code =
      QuorbelExact_ProportionIntervals(args.Int("--positives"), args.Int("--sample"), args.Double("--confidence"), &r);
  if (code != QUORBEL_OK) return code;
  QuorbelExactInterval blaker{}, sterne{};
  CheckExact(QuorbelExact_AcceptabilityIntervals(args.Int("--positives"), args.Int("--sample"),
                                                 args.Double("--confidence"), &blaker, &sterne),
             "Blaker and Sterne intervals");
  const QuorbelExactInterval intervals[] = {r.wald,     r.wilson, r.clopperPearson, r.jeffreys,
                                            r.agrestiCoull, blaker, sterne};
  ValueBuilder json;
  json.Begin().Double("proportion", r.proportion).Double("z", r.z);
  for (int m = 0; m < 7; ++m) json.Interval(kMethods[m][0], intervals[m].lower, intervals[m].upper);
  json.End().Deliver();
  return code;
}

std::string ProportionText(const Value& answer) {
  const Value& settings = At(answer, "settings");
  std::vector<std::vector<std::string>> rows;
  for (const auto& method : kMethods) {
    const Value& interval = At(answer, method[0]);
    rows.push_back({method[1], Shown(interval, "lower"), Shown(interval, "upper")});
  }
  return Format("Confidence intervals of the proportion %s / %s = %s at %s %% (z = %s)\n\n",
                Shown(settings, "positives").c_str(), Shown(settings, "sample").c_str(),
                Shown(answer, "proportion").c_str(), Shown(settings, "confidence").c_str(), Shown(answer, "z").c_str()) +
         TableText({"method", "lower", "upper"}, rows);
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
       ExactBlames(), RunEvaluate, EvaluateText});
  commands.push_back(
      {"detect", "exact", "the smallest sample whose exact population sensitivity reaches the confidence",
       {{"--population", OptionKind::kPopulation, "a whole number >= 1, or infinite"},
        {"--prevalence", OptionKind::kProportion, kProportionText},
        {"--sensitivity", OptionKind::kProportion, kProportionText},
        {"--specificity", OptionKind::kProportion, kProportionText},
        {"--confidence", OptionKind::kLevel, "a percentage from 50 to 99.99", true, "95"},
        {"--specificity-target", OptionKind::kProportion, "population specificity to keep, 0 < value <= 1", true, "0.95"}},
       ExactBlames(), RunExactDesign, ExactDesignText});
  commands.push_back({"interval", "proportion",
                      "Wald, Wilson, Clopper-Pearson, Jeffreys, Agresti-Coull, Blaker and Sterne intervals",
                      {{"--positives", OptionKind::kCount, "a whole number, 0 to --sample"},
                       {"--sample", OptionKind::kCount, "animals tested, at least 1"},
                       {"--confidence", OptionKind::kLevel, "a percentage from 50 to 99.99", true, "95"}},
                      ExactBlames(), RunProportion, ProportionText, {}, ZRule::kExact});
}

}  // namespace quorbel::commands
