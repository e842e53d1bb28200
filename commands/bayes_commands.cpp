// "prevalence bayes": the true prevalence after a test, with Beta priors on
// the prevalence, the sensitivity and the specificity, by deterministic
// integration (the same answer on every run and every platform).
#include "command.h"
#include "output.h"
#include "quorbel_exact.h"

namespace quorbel::commands {
namespace {

constexpr const char* kPriorText =
    "A,B: the two shapes of a Beta prior, numbers above 0 and at most 1e15 separated by ','";

// "--sensitivity-prior A,B": two shapes above 0 and at most 1e15, read here
// so that the message names the option.
void ReadPrior(const Args& args, const char* name, double* shapes) {
  const auto records = args.Records(name, 1);
  if (records.size() != 2) throw UsageError(name, std::string(name) + " needs two shapes A,B, e.g. 85,15");
  for (size_t k = 0; k < 2; ++k) {
    shapes[k] = ParseDouble(records[k][0], std::string(name) + (k == 0 ? " shape A" : " shape B"));
    if (!(shapes[k] > 0.0 && shapes[k] <= QUORBEL_EXACT_MAX_BAYES_SHAPE))
      throw UsageError(name, std::string(name) + " needs shapes above 0 and at most 1e15; got " + records[k][0]);
  }
}

void PutPosterior(ValueBuilder& json, const char* key, const QuorbelExactPosterior& p, bool threshold) {
  if (key != nullptr) json.Begin(key);
  json.Double("mean", p.mean).Double("median", p.median).Double("lower", p.lower).Double("upper", p.upper);
  if (threshold) json.Double("probabilityAbove", p.probabilityAbove);
  if (key != nullptr) json.End();
}

QuorbelResult RunBayes(const host::Api&, const Args& args) {
  double priors[6] = {1, 1, 1, 1, 1, 1};
  ReadPrior(args, "--prevalence-prior", priors);
  ReadPrior(args, "--sensitivity-prior", priors + 2);
  ReadPrior(args, "--specificity-prior", priors + 4);
  const bool threshold = args.Has("--threshold");
  QuorbelExactBayes r{};
  const QuorbelResult code =
      QuorbelExact_BayesPrevalence(args.Int("--positives"), args.Int("--tested"), priors, args.Double("--confidence"),
                                   threshold ? args.Double("--threshold") : 0.5, &r);
  if (code != QUORBEL_OK) return code;
  ValueBuilder json;
  json.Begin();
  PutPosterior(json, nullptr, r.prevalence, threshold);
  PutPosterior(json, "sensitivity", r.sensitivity, threshold);
  PutPosterior(json, "specificity", r.specificity, threshold);
  json.Double("uselessTestPrior", r.uselessTestPrior).End().Deliver();
  if (r.uselessTestPrior > 0.05)
    Warn("vague-test-priors",
         "the test priors give P(Se + Sp <= 1) = " + DoubleText(r.uselessTestPrior) +
             ": a test that may be worse than chance cannot tell a prevalence p from 1 - p, and the posterior tends "
             "to symmetry about 0.5 (exactly so when both priors are uniform); give informative priors for the "
             "sensitivity and specificity");
  return code;
}

// A line without the padding of its last column.
std::string Trimmed(std::string line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line + "\n";
}

std::string PosteriorRow(const Value& answer, const char* label, bool threshold) {
  std::string row = Format("  %-12s %-20s %-20s %-20s %-20s", label, Shown(answer, "mean").c_str(),
                           Shown(answer, "median").c_str(), Shown(answer, "lower").c_str(),
                           Shown(answer, "upper").c_str());
  if (threshold) row += " " + Shown(answer, "probabilityAbove");
  return Trimmed(row);
}

std::string BayesText(const Value& answer) {
  const Value& settings = At(answer, "settings");
  const bool threshold = answer.Find("probabilityAbove") != nullptr;
  std::string text =
      Format("True prevalence after %s reactors of %s tested (Bayesian, %s %% equal-tailed limits)\n\n",
             Shown(settings, "positives").c_str(), Shown(settings, "tested").c_str(),
             Shown(settings, "confidence").c_str()) +
      Trimmed(Format("  %-12s %-20s %-20s %-20s %-20s%s", "", "mean", "median", "lower", "upper",
                     threshold ? (" P(> " + Shown(settings, "threshold") + ")").c_str() : ""));
  text += PosteriorRow(answer, "prevalence", threshold) + PosteriorRow(At(answer, "sensitivity"), "sensitivity", threshold) +
          PosteriorRow(At(answer, "specificity"), "specificity", threshold);
  return text + "\nWith these priors the true prevalence lies between " + Shown(answer, "lower") + " and " +
         Shown(answer, "upper") + " with probability " + Shown(settings, "confidence") + " %.\n";
}

}  // namespace

void AddBayesCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"prevalence", "bayes", "the true prevalence with uncertain sensitivity and specificity (Beta priors)",
       {{"--positives", OptionKind::kCount, "reactors, 0 to --tested"},
        {"--tested", OptionKind::kCount, "animals tested, 1 to 20000"},
        {"--sensitivity-prior", OptionKind::kRecords, kPriorText, false, nullptr, nullptr, "Sensitivity prior",
         "Beta shapes A,B"},
        {"--specificity-prior", OptionKind::kRecords, kPriorText, false, nullptr, nullptr, "Specificity prior",
         "Beta shapes A,B"},
        {"--prevalence-prior", OptionKind::kRecords, kPriorText, true, "1,1", nullptr, "Prevalence prior",
         "Beta shapes A,B"},
        {"--confidence", OptionKind::kLevel, "a percentage from 50 to 99.99", true, "95"},
        {"--threshold", OptionKind::kProportion, "gives the posterior probability that the prevalence exceeds it, "
                                                 "0 <= value <= 1", true}},
       {{QUORBEL_EXACT_E_SAMPLE, "--tested", "a whole number from 1 to 20000"},
        {QUORBEL_EXACT_E_POSITIVES, "--positives", "a whole number from 0 to --tested"},
        {QUORBEL_EXACT_E_PRIOR, "--sensitivity-prior, --specificity-prior or --prevalence-prior", kPriorText},
        {QUORBEL_EXACT_E_CONFIDENCE, "--confidence", "a percentage from 50 to 99.99"},
        {QUORBEL_EXACT_E_THRESHOLD, "--threshold", "a proportion, 0 <= value <= 1"}},
       RunBayes, BayesText});
}

}  // namespace quorbel::commands
