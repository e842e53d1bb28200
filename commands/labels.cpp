// The labels and units of the options and files, as forms and tables show
// them; every command's options take theirs from here. See command.h.
#include <cstring>

#include "command.h"

namespace quorbel::commands {
namespace {

struct Label {
  const char* name;
  const char* label;
  const char* unit;
};

constexpr Label kOptionLabels[] = {
    {"--prevalence", "Prevalence", "proportion"},
    {"--precision", "Relative precision", "fraction of the prevalence"},
    {"--absolute-precision", "Absolute precision", "proportion, ± around the prevalence"},
    {"--confidence", "Confidence", "%"},
    {"--population", "Population", "animals"},
    {"--strata", "Strata", ""},
    {"--animals-per-cluster", "Animals per cluster", "animals"},
    {"--preset", "Design-effect preset", "1 to 4"},
    {"--design-effect", "Design effect", ""},
    {"--rho", "Intra-cluster correlation", "rho"},
    {"--proportion", "Observed proportion", "proportion"},
    {"--positives", "Positives", "animals"},
    {"--sample", "Sample", "animals"},
    {"--p1", "Proportion of group 1", "proportion"},
    {"--p2", "Proportion of group 2", "proportion"},
    {"--size1", "Size of group 1", "animals"},
    {"--size2", "Size of group 2", "animals"},
    {"--power", "Power", "%"},
    {"--apparent", "Apparent prevalence", "proportion"},
    {"--tested", "Tested", "animals"},
    {"--sensitivity", "Test sensitivity", "proportion"},
    {"--specificity", "Test specificity", "proportion"},
    {"--sensitivity2", "Second test sensitivity", "proportion"},
    {"--specificity2", "Second test specificity", "proportion"},
    {"--combination", "Combination of the two tests", "parallel or serial"},
    {"--false-positive-risk", "Accepted false-positive risk", "proportion"},
    {"--error", "Accepted error", "unit of the variable"},
    {"--sd", "Standard deviation", "unit of the variable"},
    {"--mean", "Sample mean", "unit of the variable"},
    {"--herds", "Herds", "herds"},
    {"--herd-prevalence", "Herd design prevalence", "proportion of herds"},
    {"--within-herd-prevalence", "Within-herd design prevalence", "proportion"},
    {"--herd-size", "Herd size", "animals"},
    {"--herd-sensitivity", "Herd sensitivity", "%"},
    {"--positive-at", "Positive at", "reactors or more"},
    {"--specificity-target", "Population specificity target", "proportion"},
    {"--count", "Units to select", "units"},
    {"--seed", "Seed", "whole number; empty for a fresh one"},
    {"--target", "Population sensitivity target", "proportion"},
    {"--prior", "Prior probability of freedom", "proportion"},
    {"--introduction", "Probability of introduction per period", "proportion"},
    {"--probability-target", "Probability of freedom to reach", "proportion"},
    {"--pools", "Pools", "pools"},
    {"--pool-size", "Pool size", "units per pool"},
    {"--estimate", "Estimate", "sensitivity or specificity"},
    {"--mode", "Most likely value", "proportion"},
    {"--at-least", "At least", "proportion"},
    {"--at-most", "At most", "proportion"},
    {"--certainty", "Certainty", "%"},
    {"--threshold", "Threshold", "proportion"},
    {"--herd-level", "Share of herds", "with a positive animal"},
    {"--distinct", "Distinct units", "with inclusion probabilities"},
    {"--sort", "Order of the units", "list or size"},
    {"--strata-column", "Stratum column", "column of the list"},
    {"--allocation", "Allocation", "proportional or neyman"},
    {"--prevalences", "Expected prevalences", "one per stratum"},
    {"--expected", "Expected sensitivity or specificity", "proportion"},
    {"--risk-groups", "Risk groups", "relative risk:share:units[:sensitivity]"},
    {"--separator", "List separator", "',' or ';'"},
};

constexpr Label kFileLabels[] = {
    {"FILE", "Cluster list", "name, animals, positives per line"},
    {"LIST", "Unit list", "one unit per line"},
    {"OUT", "Result file name", "for the download"},
};

const Label* Find(const Label* begin, const Label* end, const char* name) {
  for (const Label* label = begin; label != end; ++label)
    if (std::strcmp(label->name, name) == 0) return label;
  return nullptr;
}

}  // namespace

void FillLabels(Option& option) {
  option.argument = ArgumentName(option.name);
  const Label* found = Find(std::begin(kOptionLabels), std::end(kOptionLabels), option.name);
  if (option.label == nullptr) option.label = found != nullptr ? found->label : option.name + 2;
  if (option.unit == nullptr) option.unit = found != nullptr ? found->unit : "";
}

FileLabel LabelOfFile(const char* positional) {
  const Label* found = Find(std::begin(kFileLabels), std::end(kFileLabels), positional);
  return found != nullptr ? FileLabel{found->label, found->unit} : FileLabel{positional, ""};
}

}  // namespace quorbel::commands
