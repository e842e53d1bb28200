// What each command computes, where the method comes from, and the fields it
// returns: the help pages of the R and Python packages are made from these.
// See guides.h.
#include "guides.h"

namespace quorbel::commands {
namespace {

constexpr const char* kSettings =
    "Every answer also holds settings (the values in effect, the defaults and the z used) and warnings "
    "(kind, message, line).";

const std::vector<CommandMethod> kMethods = {
    {"sample-size", "simple-random",
     "n0 = z^2 P (1 - P) / E^2 with E = precision x P (relative precision), z 1.645 at 90 %, 2.576 at 99 % and 1.96 "
     "from 91 to 98 %; for a population N, n = n0 / (n0 / N + 1) = n0 N / (N + n0), which is not Cochran's "
     "n0 / (1 + (n0 - 1) / N) (it divides by N + n0 where Cochran divides by N + n0 - 1); each size is the "
     "truncation plus 1.",
     "Cannon and Roe (1982), Livestock disease surveys: a field manual for veterinarians; Cochran (1977), Sampling "
     "techniques, for the finite-population correction it differs from.",
     "population {size, sampleSize}; ladder [{population, sampleSize}] for 15 population sizes; infinitePopulation."},
    {"sample-size", "stratified",
     "The classical sample size of a stratified estimate of a proportion at a relative precision, shared among the "
     "strata by Neyman allocation, in proportion to N_h sqrt(p_h (1 - p_h)).",
     "Cochran (1977), Sampling techniques",
     "overallPrevalence; strata [{stratum, population, prevalence, sampleSize}]; total."},
    {"sample-size", "true-prevalence",
     "AP = Se P + (1 - Sp)(1 - P); n0 = z^2 AP (1 - AP) / (E^2 (Se + Sp - 1)^2) at the exact normal quantile of "
     "the level; n = n0 N / (n0 + N - 1) for a finite population; rounded up, a value within 1e-9 (relative) "
     "above a whole number counting as it. epiR's epi.sssimpleestb agrees.",
     "Humphry, Cameron and Gunn (2004), American Journal of Epidemiology 160.",
     "sampleSize; apparentPrevalence; z."},
    {"sample-size", "test-accuracy",
     "nd = z^2 X (1 - X) / E^2 subjects with (or without) the condition; the total nd / P (or nd / (1 - P)); each "
     "rounded up by the same rule. epiR's epi.ssdxsesp agrees with an absolute precision.",
     "Buderer (1996), Academic Emergency Medicine 3.",
     "sampleSize; diseased (sensitivity) or nonDiseased (specificity)."},
    {"prior", "beta",
     "a = 1 + k, b = 1 + k (1 - M) / M, so that the mode is M; k >= 0 solves P(X > Q) = C (or P(X < Q) = C) by "
     "bracketing and TOMS 748 on the regularised incomplete beta. epiR's epi.betabuster searches a grid and "
     "agrees roughly.",
     "Branscum, Gardner and Johnson (2005), Preventive Veterinary Medicine 68.", "a; b; mean; median."},
    {"sample-size", "two-stage",
     "The simple random sample size inflated by the design effect D = 1 + (m - 1) rho and divided by the animals "
     "per cluster m; at least 25 clusters. Presets 1 to 4 stand for design effects 2, 4, 7 and 7.5.",
     "Bennett, Woods, Liyanage and Smith (1991), A simplified general method for cluster-sample surveys of health "
     "in developing countries, World Health Statistics Quarterly 44.",
     "clusters; animalsPerCluster; animals; minimumApplied (true when raised to 25 clusters)."},
    {"interval", "simple-random",
     "The Wald interval p +- z sqrt(p (1 - p) / n) sqrt(1 - n / N), with the finite-population correction, no "
     "continuity correction and no clipping to 0..1.",
     "Cochran (1977), Sampling techniques", "estimate; lower; upper."},
    {"interval", "stratified",
     "The stratified mean P = sum(N_h p_h) / N with Var = sum(N_h^2 (1 - n_h / N_h) p_h (1 - p_h) / (n_h - 1)) / N^2 "
     "and the interval P +- z sqrt(Var).",
     "Cochran (1977), Sampling techniques", "estimate; lower; upper."},
    {"prevalence", "bayes",
     "With AP = p Se + (1 - p)(1 - Sp), the posterior of p is Beta(p) times the integral over Se and Sp of "
     "AP^x (1 - AP)^(n - x) Beta(Se) Beta(Sp). Expanding both powers binomially makes it an exact mixture of Beta "
     "distributions with positive weights (terms below 1e-16 of the largest left out). The same for Se and Sp, "
     "whose components of one total shape are raised exactly into a few runs; summaries from the incomplete beta, "
     "quantiles by Newton's steps.",
     "Joseph, Gyorkos and Coupal (1995), American Journal of Epidemiology 141.",
     "mean; median; lower; upper; probabilityAbove (with --threshold); sensitivity and specificity {the same}; "
     "uselessTestPrior, the prior probability that Se + Sp <= 1."},
    {"interval", "two-stage",
     "The ratio of all positives to all animals examined, its standard error under cluster sampling, the design "
     "effect and the intra-cluster correlation, from a list of clusters.",
     "Bennett, Woods, Liyanage and Smith (1991), World Health Statistics Quarterly 44.",
     "prevalence; lower; upper; standardError; designEffect; intraClusterCorrelation (null when not estimable); "
     "clusters; animals; positives."},
    {"interval", "proportion",
     "Seven intervals of x / n at any level from 50 to 99.99: Wald, Wilson (score) and Agresti-Coull at the exact "
     "normal quantile, Clopper-Pearson (exact, by the beta quantiles), Jeffreys (beta(x + 1/2, n - x + 1/2) "
     "quantiles), and Blaker and Sterne, which invert exact tests by their acceptability and give the hull of the "
     "accepted set (it can have gaps), its ends to 1e-12.",
     "Brown, Cai and DasGupta (2001), Statistical Science 16; Blaker (2000), Canadian Journal of Statistics 28; "
     "Sterne (1954), Biometrika 41.",
     "proportion; z; wald, wilson, clopperPearson, jeffreys, agrestiCoull, blaker, sterne, each {lower, upper}."},
    {"compare", "sample-size",
     "The normal-approximation sample size per group for two independent proportions, with the Fleiss continuity "
     "correction, for a two-sided and a one-sided test.",
     "Fleiss, Levin and Paik (2003), Statistical methods for rates and proportions",
     "twoSided; oneSided (animals per group)."},
    {"compare", "interval",
     "The Wald interval of the difference of two independent proportions at 90, 95 and 99 %, and whether it lies "
     "wholly above zero.",
     "Fleiss, Levin and Paik (2003), Statistical methods for rates and proportions.",
     "difference; intervals [{confidence, lower, upper, significant}]."},
    {"prevalence", "true",
     "The Rogan-Gladen estimator (AP + Sp - 1) / (Se + Sp - 1); with counts, the estimate kept within 0..1 and the "
     "Wilson, Clopper-Pearson and Blaker limits of the apparent prevalence carried through it. When even the upper "
     "limit of the apparent prevalence lies below 1 - Sp, the answer warns that the data and the specificity "
     "disagree.",
     "Rogan and Gladen (1978), Estimating prevalence from the results of a screening test, American Journal of "
     "Epidemiology 107; Reiczigel, Foldi and Ozsvari (2010), Epidemiology and Infection 138.",
     "truePrevalence; negative; with counts apparent, estimate, wilson, clopperPearson and blaker {lower, upper}, "
     "valid."},
    {"mean", "sample-size",
     "n0 = z^2 sd^2 / e^2, corrected for each population size N as n0 / (n0 / N + 1) and rounded half up.",
     "Cochran (1977), Sampling techniques",
     "population {size, sampleSize}; ladder [{population, sampleSize}]; infinitePopulation."},
    {"mean", "interval",
     "mean +- z sd / sqrt(n) sqrt(1 - n / N), with the finite-population correction.",
     "Cochran (1977), Sampling techniques", "mean; lower; upper."},
    {"detect", "sample-size",
     "The finite-population approximation for finding at least one positive, n = (1 - q^(1/d)) (N - (d - 1) / 2) "
     "with d the expected positives, and a reactor cut-off from a cumulative binomial, Poisson or normal search "
     "over false-positive reactors; beside it what that design achieves and the smallest exact design "
     "(hypergeometric sampling, exact population sensitivity and specificity).",
     "Cannon and Roe (1982), Livestock disease surveys; Cameron and Baldock (1998), A new probability formula for "
     "surveys to substantiate freedom from disease, Preventive Veterinary Medicine 34.",
     "sampleSize; reactorCutOff; sensitivity; specificity; referenceTable [{population, sampleSizes}]; achieved "
     "{populationSensitivity, populationSpecificity}; exact {reachable, sampleSize, positiveAt, "
     "populationSensitivity, populationSpecificity or bestSensitivity}."},
    {"detect", "two-stage",
     "Animals per herd for the herd sensitivity, then herds for the confidence, by the approximation of the "
     "one-stage design at each stage, with reactor cut-offs per herd and in all; beside it what the design "
     "achieves and the exact design per herd.",
     "Cannon and Roe (1982); Cameron and Baldock (1998), Two-stage sampling in surveys to substantiate freedom from "
     "disease, Preventive Veterinary Medicine 34.",
     "herdsToSample; animalsPerHerd; totalAnimals; herdReactorCutOff; totalReactorCutOff; sensitivity; specificity; "
     "herdSizeTable [{herdSize, animalsPerHerd}]; achieved {herd and survey sensitivity and specificity}; exact "
     "{herd design, reachable, herdsToSample}."},
    {"detect", "maximum-prevalence",
     "The detection approximation with sample size and diseased animals exchanged: the highest prevalence a "
     "negative sample could have missed, and the probability of detecting at a stated prevalence; beside it the "
     "same by hypergeometric sampling.",
     "Cannon and Roe (1982), Livestock disease surveys.",
     "diseasedAnimals; maximumPrevalence; detectionProbability; exact {maximumDiseased, maximumPrevalence, "
     "detectionProbability}."},
    {"detect", "evaluate",
     "With D = max(1, ceil(P N)) diseased units, reactors R = Bin(Y, Se) + Bin(n - Y, 1 - Sp), Y hypergeometric "
     "(binomial for an infinite population): population sensitivity P(R >= c) and specificity "
     "P(Bin(n, 1 - Sp) <= c - 1).",
     "Cameron and Baldock (1998), Preventive Veterinary Medicine 34 (the FreeCalc method).",
     "diseasedUnits (finite populations); populationSensitivity; populationSpecificity."},
    {"detect", "exact",
     "The smallest sample whose smallest cut-off keeping the specificity target reaches the confidence, evaluated "
     "as detect evaluate does.",
     "Cameron and Baldock (1998), Preventive Veterinary Medicine 34; epiR's rsu.sssep.rsfreecalc agrees.",
     "reachable; sampleSize; positiveAt; populationSensitivity; populationSpecificity; or bestSensitivity when "
     "unreachable."},
    {"freedom", "sensitivity",
     "Simple: with D = max(1, ceil(P N)) diseased units, SeP = 1 - sum over k of hyper(k; N, D, n) (1 - SE)^k, and "
     "1 - (1 - SE P)^n for an infinite population. Risk-based: AR_g = RR_g / sum(RR SHARE), EPI_g = P AR_g, "
     "SeP = 1 - prod (1 - SE_g EPI_g)^n_g. Pooled: q = (1 - P)^k, SeP = 1 - ((1 - q)(1 - SE) + q SP)^r, SpP = SP^r.",
     "Cameron and Baldock (1998), Preventive Veterinary Medicine 34; Martin, Cameron and Greiner (2007), Preventive Veterinary Medicine 79; Christensen and Gardner (2000), Preventive Veterinary Medicine 45 (pools); epiR's rsu functions agree.",
     "form; diseasedUnits (simple, finite); groups [{group, relativeRisk, share, sampled, testSensitivity, "
     "adjustedRisk, effectiveProbability}] (risk-based); sensitivity; specificity (pooled)."},
    {"freedom", "sample-size",
     "The smallest n (or number of pools) whose SeP, as freedom sensitivity computes it, reaches the target, by a "
     "search over SeP itself. Risk-based: a total split by the allocations by largest remainders, the first total "
     "counting up from 1. With a probability target PF: pi = PR (1 - PI), the SeP needed is "
     "(1 - pi / PF) / (1 - pi), nothing when PF <= pi.",
     "Cameron and Baldock (1998), Preventive Veterinary Medicine 34; Martin, Cameron and Greiner (2007), Preventive Veterinary Medicine 79; Christensen and Gardner (2000), Preventive Veterinary Medicine 45 (pools); epiR's rsu functions agree.",
     "form; sensitivityNeeded (with --probability-target); reachable; sampleSize, or pools; sensitivity; "
     "specificity (pooled); groups [{..., sampleSize}] (risk-based)."},
    {"freedom", "design-prevalence",
     "Infinite population: P = (1 - (1 - T)^(1/n)) / SE, refused above 1; finite: the smallest D whose population "
     "sensitivity reaches the target, given as D and D / N.",
     "Cameron and Baldock (1998), Preventive Veterinary Medicine 34; Martin, Cameron and Greiner (2007), Preventive Veterinary Medicine 79; Christensen and Gardner (2000), Preventive Veterinary Medicine 45 (pools); epiR's rsu functions agree.",
     "prevalence; reachable and diseased (finite populations)."},
    {"freedom", "probability",
     "pi_1 = prior (1 - PI); F_t = pi_t / (1 - S_t (1 - pi_t)); pi_(t+1) = F_t (1 - PI). Equilibrium "
     "(1 - PI / S) / (1 - PI) for the last S when S > PI, else 0.",
     "Martin, Cameron and Greiner (2007), Preventive Veterinary Medicine 79; epiR's rsu.pfree.rs agrees.",
     "periods [{period, sensitivity, prior, probability}]; equilibrium."},
    {"freedom", "combine", "1 - prod(1 - S_i) over independent components.",
     "Martin, Cameron and Greiner (2007), Preventive Veterinary Medicine 79.", "sensitivity."},
    {"freedom", "two-stage",
     "Each herd of N animals: D = max(1, ceil(PU N)); the smallest n with 1 - sum_k hyper(k; N, D, n) (1 - SE)^k "
     ">= TH (1 - (1 - SE PU)^n for a herd of unknown size), or every animal. The herd stage takes HSe, the smallest "
     "herd sensitivity achieved, over the H herds of the list: the smallest h with "
     "1 - sum_k hyper(k; H, DH, h) (1 - HSe)^k >= T, DH = max(1, ceil(PH H)). epiR's rsu.sssep.rs2st counts on TH "
     "instead of what the herds achieve.",
     "Cameron and Baldock (1998), Preventive Veterinary Medicine 34; Martin, Cameron and Greiner (2007), Preventive Veterinary Medicine 79.",
     "list; result; herdCount; diseasedHerds; reachable; herdsToSample; sensitivity; herdSensitivity; "
     "herdsShortOfTarget; herds [{name, animals, sampleSize, herdSensitivity, reachable}]."},
    {"interval", "weighted",
     "R = sum(w positives) / sum(w tested) with w = 1 / inclusionProbability; with z_i = (positives_i - R "
     "tested_i) / sum(w tested), SE^2 = n / (n - 1) sum (w_i z_i - mean(w z))^2 (with replacement, as "
     "survey::svyratio for svydesign(ids = ~1, probs = ~inclusionProbability)); the design effect against simple "
     "random sampling of as many animals; limits R -+ z SE at the exact normal quantile, within 0..1. "
     "--herd-level: the weighted mean of positives > 0 (svymean).",
     "Lumley (2010), Complex surveys: a guide to analysis using R; Hansen and Hurwitz (1943), Annals of "
     "Mathematical Statistics 14.",
     "level; units; estimate; standardError; designEffect; lower; upper."},
    {"select", "random",
     "Simple random selection without replacement: the list is shuffled and its first n units are written.",
     "Cochran (1977), Sampling techniques",
     "method; requested; written; list; result; seed; generator; units [{name, times}]."},
    {"select", "pps",
     "Systematic selection with probability proportional to size: a sampling interval (total / n) laid over the "
     "running total of sizes from a random start; a unit larger than the interval can be hit more than once. "
     "--distinct: exactly n distinct units by Sampford's method, with inclusion probabilities pi_i = n size_i / "
     "total (certainty units set aside, as sampling::inclusionprobabilities), from xoshiro256** seeded by "
     "SplitMix64 of the seed; Pareto pi-ps after 100,000 rejections, with a warning.",
     "Madow (1949), Annals of Mathematical Statistics 20; Sampford (1967), Biometrika 54; Rosen (1997), Journal of "
     "Statistical Planning and Inference 62.",
     "method; requested; written; list; result; seed; generator; units [{name, times}]; with --distinct "
     "certaintyUnits and units [{name, size, inclusionProbability, weight}]."},
    {"select", "systematic",
     "Inclusion probabilities pi_i = n size_i / total with certainty units set aside (as "
     "sampling::inclusionprobabilities); the units laid end to end with lengths pi_i and taken where u + k falls, "
     "u uniform from xoshiro256** seeded by SplitMix64 of the seed: n distinct units, each with probability pi_i.",
     "Madow (1949), Annals of Mathematical Statistics 20; Tille (2006), Sampling algorithms.",
     "method; requested; written; certaintyUnits; list; result; seed; generator; units [{name, size, "
     "inclusionProbability, weight}]."},
    {"select", "stratified",
     "n split over the strata in proportion to N_h, or to N_h sqrt(p_h (1 - p_h)) (Neyman), by largest remainders "
     "(a stratum asked for more than it holds keeps all its units and the rest is split again); simple random "
     "selection without replacement within each stratum (xoshiro256**, seeded by SplitMix64 of the seed plus the "
     "stratum's place); weight N_h / n_h.",
     "Cochran (1977), Sampling techniques; Neyman (1934), Journal of the Royal Statistical Society 97.",
     "allocation; requested; list; result; seed; generator; strata [{stratum, units, sampled, weight}]; units "
     "[{name, stratum, weight}]."},
};

}  // namespace

const CommandMethod* MethodOf(const std::string& family, const std::string& name) {
  for (const CommandMethod& method : kMethods)
    if (family == method.family && name == method.name) return &method;
  return nullptr;
}

const char* SettingsAndWarningsText() { return kSettings; }

}  // namespace quorbel::commands
