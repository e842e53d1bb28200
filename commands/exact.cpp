// See exact.h.
#include "exact.h"

#include <cstdio>

namespace quorbel::commands {

namespace {
constexpr const char* kProportion = "a proportion, 0 < value <= 1";
}

std::vector<CodeBlame> ExactBlames() {
  return {{QUORBEL_EXACT_E_POPULATION, "--population", "a whole number >= 1, or infinite"},
          {QUORBEL_EXACT_E_SAMPLE, "--sample", "a whole number from 1 to the population"},
          {QUORBEL_EXACT_E_PREVALENCE, "--prevalence", kProportion},
          {QUORBEL_EXACT_E_SENSITIVITY, "--sensitivity", kProportion},
          {QUORBEL_EXACT_E_SPECIFICITY, "--specificity", kProportion},
          {QUORBEL_EXACT_E_POSITIVE_AT, "--positive-at", "a whole number from 1 to the sample (more reactors "
                                                         "than the sample cannot occur)"},
          {QUORBEL_EXACT_E_CONFIDENCE, "--confidence", "a percentage from 50 to 99.99"},
          {QUORBEL_EXACT_E_TARGET, "--specificity-target", kProportion},
          {QUORBEL_EXACT_E_USELESS_TEST, "--sensitivity and --specificity",
           "a test with sensitivity + specificity above 1 (at or below 1 the test tells nothing about prevalence)"},
          {QUORBEL_EXACT_E_POSITIVES, "--positives", "a whole number from 0 to the number tested"}};
}

void CheckExact(QuorbelResult code, const char* context) {
  if (code == QUORBEL_OK) return;
  CommandError error("", std::string(context) + " failed (result code " + CodeText(code) + ")", 1);
  for (const CodeBlame& blame : ExactBlames())
    if (blame.code == code) {
      error = CommandError(blame.argument, std::string(context) + ": " + blame.argument + " must be " + blame.allowed +
                                               " (result code " + CodeText(code) + ")", 1);
      error.allowed = blame.allowed;
    }
  error.code = code;
  throw error;
}

QuorbelExactDesign ExactDesign(double population, double prevalence, double se, double sp, double level,
                               double target) {
  QuorbelExactDesign d{};
  CheckExact(QuorbelExact_Design(population, prevalence, se, sp, level, target, &d), "exact design");
  return d;
}

void WriteDesign(ValueBuilder& json, const char* key, const QuorbelExactDesign& d) {
  json.Begin(key).Bool("reachable", d.reachable != 0);
  if (d.reachable) {
    json.Int("sampleSize", d.sampleSize).Int("positiveAt", d.positiveAt)
        .Double("populationSensitivity", d.populationSensitivity)
        .Double("populationSpecificity", d.populationSpecificity);
  } else {
    json.Double("bestSensitivity", d.bestSensitivity);
  }
  json.End();
}

std::string DesignText(const Value& design, const std::string& level) {
  if (!At(design, "reachable").boolean)
    return Format("  exact design         unreachable: no sample reaches %s %%; the best, testing every unit,\n"
                  "                       gives a population sensitivity of %s\n",
                  level.c_str(), Shown(design, "bestSensitivity").c_str());
  return Format("  exact design         %s animals, positive at %s or more reactors\n"
                "                       population sensitivity %s, specificity %s\n",
                Shown(design, "sampleSize").c_str(), Shown(design, "positiveAt").c_str(),
                Shown(design, "populationSensitivity").c_str(), Shown(design, "populationSpecificity").c_str());
}

void WarnIfShort(double sensitivity, double specificity, double level, double falsePositiveRisk) {
  char text[200];
  if (sensitivity < level / 100.0) {
    std::snprintf(text, sizeof text, "this design detects the disease with probability %.3g, short of the %s %% asked for",
                  sensitivity, DoubleText(level).c_str());
    Warn("design-short-of-sensitivity", text);
  }
  if (specificity < 1.0 - falsePositiveRisk) {
    std::snprintf(text, sizeof text, "this design declares a free population (or herd) infected with probability "
                  "%.3g, above the false-positive risk of %s", 1.0 - specificity, DoubleText(falsePositiveRisk).c_str());
    Warn("design-short-of-specificity", text);
  }
}

void WarnIfWorseThanChance(double sensitivity, double specificity) {
  if (sensitivity + specificity < 1)
    Warn("worse-than-chance", "sensitivity + specificity is below 1: this test does worse than chance, and its "
                              "reactors say little about infection");
}

}  // namespace quorbel::commands
