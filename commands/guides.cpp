// The guides of --help. See help.h.
#include "guides.h"

namespace quorbel::commands {
namespace {

constexpr const char* kPlan = "Plan a sample";
constexpr const char* kAnalyse = "Analyse a sample";
constexpr const char* kAbsence = "Show absence of disease";
constexpr const char* kSelect = "Select units";

constexpr const char* kZRule =
    "Confidence levels 90 to 99 are accepted; the normal quantile is 1.645 at 90, 2.576 at 99 and 1.96 for every "
    "level from 91 to 98 (97 is computed as 95).";
constexpr const char* kRelative =
    "Precision is relative: 0.1 with a prevalence of 0.3 means within 0.3 x 0.1 = 0.03 of it. "
    "--absolute-precision 0.03 says the same directly.";

const std::vector<CommandGuide> kGuides = {
    {"sample-size", "simple-random", kPlan, "How many animals must I examine to estimate a prevalence?",
     {"sample-size", "simple-random", "--prevalence", "0.3", "--precision", "0.1", "--population", "1000"},
     "Precision is relative: 0.1 with a prevalence of 0.3 means within 0.3 x 0.1 = 0.03 of it; "
     "--absolute-precision 0.03 says the same directly. Levels 91 to 98 all use z = 1.96."},
    {"sample-size", "stratified", kPlan, "How many animals must I examine in each stratum?",
     {"sample-size", "stratified", "--precision", "0.2", "--strata", "1000:0.3,2000:0.1"}, kRelative},
    {"sample-size", "true-prevalence", kPlan, "How many animals must I examine to estimate a true prevalence with an imperfect test?",
     {"sample-size", "true-prevalence", "--population", "1200", "--prevalence", "0.2", "--absolute-precision", "0.05",
      "--sensitivity", "0.9", "--specificity", "0.95"},
     "The test's sensitivity and specificity widen the interval: the apparent prevalence is estimated, and "
     "divided by Se + Sp - 1. The level may be any percentage from 50 to 99.99, at its exact normal quantile. "
     "--precision is relative to the prevalence."},
    {"sample-size", "test-accuracy", kPlan, "How many subjects does a study of a test's sensitivity or specificity need?",
     {"sample-size", "test-accuracy", "--estimate", "sensitivity", "--expected", "0.9", "--prevalence", "0.1",
      "--absolute-precision", "0.05"},
     "A sensitivity is estimated from the subjects with the condition, a specificity from those without: the total "
     "is what it takes, at the condition's prevalence, to have enough of them. --precision is relative to "
     "--expected (epiR's epi.ssdxsesp takes it relative to the prevalence)."},
    {"prior", "beta", kPlan, "Which Beta prior says what I believe about a sensitivity or specificity?",
     {"prior", "beta", "--mode", "0.9", "--at-least", "0.7"},
     "The prior has its mode at --mode, and the value lies above --at-least (or below --at-most) with the "
     "--certainty (95 % by default). A uniform prior already puts 1 - limit above the limit: the certainty must "
     "be more than that."},
    {"sample-size", "two-stage", kPlan, "How many herds, and animals per herd, must I examine?",
     {"sample-size", "two-stage", "--prevalence", "0.3", "--precision", "0.2", "--animals-per-cluster", "10",
      "--preset", "1"},
     "Precision is relative. The design-effect presets 1 to 4 stand for rho = 1, 3, 6 or 6.5 divided by "
     "(animals per cluster - 1), that is design effects of 2, 4, 7 and 7.5; --rho gives rho itself."},
    {"interval", "simple-random", kAnalyse, "What does a simple random sample say about the prevalence?",
     {"interval", "simple-random", "--positives", "30", "--sample", "100", "--population", "1000"}, kZRule},
    {"interval", "stratified", kAnalyse, "What does a stratified sample say about the prevalence?",
     {"interval", "stratified", "--strata", "1000:100:0.3,2000:150:0.1"}, kZRule},
    {"prevalence", "bayes", kAnalyse, "What is the true prevalence when the test's accuracy is itself uncertain?",
     {"prevalence", "bayes", "--positives", "18", "--tested", "150", "--sensitivity-prior", "85,15",
      "--specificity-prior", "97,3"},
     "Priors are Beta(A, B) (prior beta finds them from a mode and a limit). The answer is computed by exact "
     "integration, not by sampling: the same on every run and every platform. --threshold gives the posterior "
     "probability that the prevalence exceeds it. With vague test priors the data cannot tell p from 1 - p."},
    {"interval", "two-stage", kAnalyse, "What does a two-stage (cluster) sample say about the prevalence?",
     {"interval", "two-stage", "clusters.txt"},
     "FILE holds one cluster per line: name, animals examined, positives, separated by the list separator of the "
     "user's locale (';' for Spanish, ',' otherwise) or the one --separator names. A list ends at its first line of "
     "fewer than three fields.",
     {"H1,10,2", "H2,20,5", "H3,15,0", "H4,12,3"}},
    {"interval", "proportion", kAnalyse, "Which interval does a proportion x / n have, by each method?",
     {"interval", "proportion", "--positives", "30", "--sample", "100"},
     "Computed at the exact normal quantile of any level from 50 to 99.99."},
    {"compare", "sample-size", kPlan, "How many animals per group to tell two proportions apart?",
     {"compare", "sample-size", "--p1", "0.2", "--p2", "0.4"}, kZRule},
    {"compare", "interval", kAnalyse, "How different are two observed proportions?",
     {"compare", "interval", "--p1", "0.2", "--size1", "100", "--p2", "0.35", "--size2", "120"}, ""},
    {"prevalence", "true", kAnalyse, "What true prevalence lies behind the reactors of an imperfect test?",
     {"prevalence", "true", "--positives", "30", "--tested", "100", "--sensitivity", "0.9", "--specificity", "0.95"},
     "Give --apparent for the classic estimate alone, or --positives and --tested for limits as well. "
     "A test with sensitivity + specificity at or below 1 says nothing about prevalence."},
    {"mean", "sample-size", kPlan, "How many animals must I measure to estimate a mean?",
     {"mean", "sample-size", "--error", "2", "--sd", "10", "--population", "1000"}, kZRule},
    {"mean", "interval", kAnalyse, "What does a sample say about a mean?",
     {"mean", "interval", "--mean", "25", "--sd", "4", "--sample", "30", "--population", "200"}, kZRule},
    {"detect", "sample-size", kAbsence, "How many animals must I test to find disease at a design prevalence?",
     {"detect", "sample-size", "--prevalence", "0.05", "--population", "100", "--sensitivity", "0.9", "--specificity",
      "0.98"},
     "The reactor cut-off k means that more than k reactors make the population positive (positive at k + 1). "
     "The exact figures under the table tell what the design really achieves."},
    {"detect", "two-stage", kAbsence, "How many herds, and animals per herd, must I test to find disease?",
     {"detect", "two-stage", "--herds", "500", "--herd-prevalence", "0.05", "--within-herd-prevalence", "0.2",
      "--herd-size", "100", "--herd-sensitivity", "95", "--sensitivity", "0.9", "--specificity", "0.98"},
     "The herd sensitivity is a whole percentage (95, 95% or 0.95). A cut-off k: more than k reactors is positive."},
    {"detect", "maximum-prevalence", kAbsence, "What prevalence could a negative sample have missed?",
     {"detect", "maximum-prevalence", "--sample", "30", "--population", "1000", "--sensitivity", "1", "--prevalence",
      "0.05"},
     ""},
    {"detect", "evaluate", kAbsence, "What do a sample size and a cut-off really achieve?",
     {"detect", "evaluate", "--population", "1000", "--sample", "269", "--prevalence", "0.01", "--sensitivity", "0.95",
      "--specificity", "0.98", "--positive-at", "9"},
     "--positive-at c: the population is declared infected at c or more reactors."},
    {"detect", "exact", kAbsence, "What is the smallest sample that truly reaches the confidence?",
     {"detect", "exact", "--population", "1000", "--prevalence", "0.05", "--sensitivity", "0.95", "--specificity",
      "0.98"},
     "Positive at c or more reactors, c the smallest that keeps the specificity target (default 0.95)."},
    {"freedom", "sensitivity", kAbsence, "How likely is my surveillance to find disease present at a design prevalence?",
     {"freedom", "sensitivity", "--prevalence", "0.01", "--risk-groups", "3:0.1:40,1:0.9:60", "--sensitivity", "0.9"},
     "Three forms: simple (--sample, and --population when finite), risk-based (--risk-groups RR:SHARE:UNITS[:SE]) "
     "and pooled (--pools and --pool-size). A risk group's relative risk compares its chance of infection with the "
     "rest of the population; SHARE is its share of the population and UNITS the units tested in it. A pooled "
     "design's sensitivity counts pools that react falsely too, so its specificity falls as pools are added."},
    {"freedom", "sample-size", kAbsence, "How many units must I test to demonstrate freedom from disease?",
     {"freedom", "sample-size", "--prevalence", "0.01", "--sensitivity", "0.9", "--risk-groups", "3:0.1:0.5,1:0.9:0.5"},
     "--target is the population sensitivity to reach. In the risk-based form the third field of a group is its "
     "allocation, the share of the sample taken in it; a total is split by largest remainders, and the answer is "
     "the first total that reaches the target. --pool-size gives the number of pools. --probability-target with "
     "--prior (and --introduction) asks for the sensitivity that makes the probability of freedom reach it."},
    {"freedom", "design-prevalence", kAbsence, "Down to which prevalence does my negative sample demonstrate freedom?",
     {"freedom", "design-prevalence", "--population", "500", "--sample", "50", "--sensitivity", "0.9"},
     "For a finite population the answer is a whole number of diseased units, given with its share."},
    {"freedom", "probability", kAbsence, "How sure am I of freedom after several periods of surveillance?",
     {"freedom", "probability", "--prior", "0.5", "--introduction", "0.01", "--sensitivity", "0.9,0.9,0.9"},
     "--sensitivity lists each period's population sensitivity. Each period starts from the previous period's "
     "probability of freedom, less the chance of an introduction."},
    {"freedom", "combine", kAbsence, "What do independent surveillance components detect together?",
     {"freedom", "combine", "--sensitivity", "0.5,0.6"}, ""},
    {"freedom", "two-stage", kAbsence, "How many herds, and animals in each herd of my list, must I test for freedom?",
     {"freedom", "two-stage", "herds.txt", "designs.txt", "--herd-prevalence", "0.3", "--within-herd-prevalence",
      "0.1", "--sensitivity", "0.9"},
     "LIST: name and animals per line, split at the list separator in effect; --herd-size infinite takes every "
     "herd as of unknown size (its animals are not read). Each herd tests the fewest animals whose exact herd "
     "sensitivity reaches --herd-sensitivity, or all of them when none does. The herd stage counts on the smallest "
     "herd sensitivity achieved, so the survey reaches --target whichever herds are drawn. OUT: name, animals, "
     "animals to test, herd sensitivity.",
     {"Herd A,120", "Herd B,45", "Herd C,300", "Herd D,80", "Herd E,60", "Herd F,210"}},
    {"interval", "weighted", kAnalyse, "What do my weighted, PPS-selected herds say about the prevalence?",
     {"interval", "weighted", "tested.txt"},
     "FILE: the result file of select pps --distinct (name,size,inclusionProbability,weight) with the animals tested "
     "and positive appended to each line. The animal-level prevalence is the weighted ratio of positives to "
     "tested, its standard error the with-replacement linearisation of R's survey::svyratio; --herd-level gives "
     "the weighted share of herds with a positive animal.",
     {"Herd A,120,0.466,2.1459,20,3", "Herd B,45,0.175,5.7143,10,0", "Herd C,300,1,1,30,6",
      "Herd D,80,0.311,3.2154,15,2", "Herd E,60,0.233,4.2918,12,1", "Herd F,210,0.816,1.2255,25,4"}},
    {"select", "random", kSelect, "Which units of my list do I examine, chosen at random?",
     {"select", "random", "farms.txt", "chosen.txt", "--count", "3", "--seed", "7"},
     "LIST: one unit name per line. OUT: the chosen names, one per line (CR LF). A list ends at its first blank "
     "line: lines after it are never read. Without --seed a fresh seed is taken and printed.",
     {"Farm 1", "Farm 2", "Farm 3", "Farm 4", "Farm 5", "Farm 6", "Farm 7", "Farm 8"}},
    {"select", "pps", kSelect, "Which units do I examine, with probability proportional to their size?",
     {"select", "pps", "herds.txt", "chosen.txt", "--count", "3", "--seed", "7"},
     "LIST: name and size per line, split at the list separator of the user's locale (';' for Spanish, ',' "
     "otherwise) or the one --separator names. OUT: name,times selected: a unit larger than the sampling interval can be selected more than "
     "once. A list ends at its first blank line: lines after it are never read.",
     {"Herd A,120", "Herd B,45", "Herd C,300", "Herd D,80", "Herd E,60", "Herd F,210"}},
    {"select", "systematic", kSelect, "Which n distinct units, systematically with probability proportional to size?",
     {"select", "systematic", "herds.txt", "chosen.txt", "--count", "3", "--seed", "7"},
     "The units are laid end to end, each as long as its inclusion probability (certainty units, which would reach "
     "1, are taken and set aside), and a unit is taken where one of the points u, u + 1, ... falls, u from the "
     "seed: exactly n distinct units. --sort size orders them smallest first. OUT: name,size,inclusion "
     "probability,weight.",
     {"Herd A,120", "Herd B,45", "Herd C,300", "Herd D,80", "Herd E,60", "Herd F,210"}},
    {"select", "stratified", kSelect, "Which units of each stratum do I examine?",
     {"select", "stratified", "farms-by-region.txt", "chosen.txt", "--strata-column", "2", "--count", "5",
      "--seed", "7"},
     "LIST: a name in the first column and the stratum in --strata-column. The count is split in proportion to "
     "the strata's sizes (largest remainders), or with --allocation neyman --prevalences by N_h sqrt(p_h (1 - "
     "p_h)); each stratum draws at random. OUT: name,stratum,weight (N_h / n_h).",
     {"F1,North", "F2,North", "F3,South", "F4,North", "F5,East", "F6,South", "F7,North", "F8,South", "F9,North",
      "F10,East"}},
};

}  // namespace

const CommandGuide* GuideOf(const std::string& family, const std::string& name) {
  for (const CommandGuide& guide : kGuides)
    if (family == guide.family && name == guide.name) return &guide;
  return nullptr;
}

const std::vector<const char*>& Groups() {
  static const std::vector<const char*> groups = {kPlan, kAnalyse, kAbsence, kSelect};
  return groups;
}

}  // namespace quorbel::commands
