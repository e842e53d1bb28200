// QuorbelFreedom_RiskBased and QuorbelFreedom_RiskBasedSampleSize: what a
// sample weighted towards high-risk groups detects, and the smallest such
// sample that reaches a target. See quorbel_freedom.h.
#include <algorithm>
#include <cmath>
#include <vector>

#include "freedom/checks.h"
#include "library/exception_guard.h"
#include "quorbel_freedom.h"

namespace {

using namespace quorbel::freedom;

// Checks the groups (their `sampled` either units or allocations, both
// whole-free here: units must be whole, which the caller checks) and writes
// their adjusted risks and effective probabilities.
QuorbelResult ReadGroups(double prevalence, int32_t count, QuorbelFreedomGroup* groups) {
  if (count < 1) return QUORBEL_FREEDOM_E_GROUPS;
  double shares = 0, weighted = 0;
  for (int32_t g = 0; g < count; ++g) {
    const QuorbelFreedomGroup& group = groups[g];
    if (!(group.relativeRisk > 0) || !std::isfinite(group.relativeRisk) || !(group.share >= 0) ||
        !(group.sampled >= 0) || !std::isfinite(group.sampled))
      return QUORBEL_FREEDOM_E_GROUPS;
    shares += group.share;
    weighted += group.relativeRisk * group.share;
  }
  if (!(std::fabs(shares - 1.0) <= 1e-6)) return QUORBEL_FREEDOM_E_GROUPS;
  for (int32_t g = 0; g < count; ++g)
    if (prevalence * groups[g].relativeRisk / weighted > 1.0) return QUORBEL_FREEDOM_E_GROUPS;
  for (int32_t g = 0; g < count; ++g)
    if (!IsProbability(groups[g].sensitivity)) return QUORBEL_FREEDOM_E_SENSITIVITY;
  for (int32_t g = 0; g < count; ++g) {
    groups[g].adjustedRisk = groups[g].relativeRisk / weighted;
    groups[g].effectiveProbability = prevalence * groups[g].adjustedRisk;
  }
  return QUORBEL_OK;
}

double Sensitivity(int32_t count, const QuorbelFreedomGroup* groups, const double* units) {
  double missed = 1.0;
  for (int32_t g = 0; g < count; ++g)
    missed *= std::pow(1.0 - groups[g].sensitivity * groups[g].effectiveProbability, units[g]);
  return 1.0 - missed;
}

// A total of n split by the allocations (summing to 1) by largest
// remainders: the floors, then one more unit to the largest fractional
// parts, ties to the earlier group.
void Split(int64_t n, const std::vector<double>& allocations, std::vector<double>* units) {
  const size_t count = allocations.size();
  std::vector<double> fractions(count);
  int64_t given = 0;
  for (size_t g = 0; g < count; ++g) {
    const double exact = static_cast<double>(n) * allocations[g];
    (*units)[g] = std::floor(exact);
    fractions[g] = exact - (*units)[g];
    given += static_cast<int64_t>((*units)[g]);
  }
  std::vector<size_t> order(count);
  for (size_t g = 0; g < count; ++g) order[g] = g;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return fractions[a] > fractions[b]; });
  for (size_t i = 0; given < n && i < count; ++i, ++given) (*units)[order[i]] += 1;
}

}  // namespace

extern "C" QuorbelResult QuorbelFreedom_RiskBased(double prevalence, int32_t count, QuorbelFreedomGroup* groups,
                                       double* sensitivity) {
  if (!IsOpen(prevalence)) return QUORBEL_FREEDOM_E_PREVALENCE;
  for (int32_t g = 0; g < count; ++g)
    if (!IsWhole(groups[g].sampled, 0)) return QUORBEL_FREEDOM_E_GROUPS;
  const QuorbelResult code = ReadGroups(prevalence, count, groups);
  if (code != QUORBEL_OK) return code;
  std::vector<double> units(static_cast<size_t>(count));
  for (int32_t g = 0; g < count; ++g) units[static_cast<size_t>(g)] = groups[g].sampled;
  *sensitivity = Sensitivity(count, groups, units.data());
  return QUORBEL_OK;
}

extern "C" QuorbelResult QuorbelFreedom_RiskBasedSampleSize(double prevalence, double target, int32_t count,
                                                 QuorbelFreedomGroup* groups, double* sampleSize,
                                                 double* sensitivity) {
  if (!IsOpen(prevalence)) return QUORBEL_FREEDOM_E_PREVALENCE;
  const QuorbelResult code = ReadGroups(prevalence, count, groups);
  if (code != QUORBEL_OK) return code;
  double allocated = 0;
  for (int32_t g = 0; g < count; ++g) allocated += groups[g].sampled;
  if (!(allocated > 0)) return QUORBEL_FREEDOM_E_GROUPS;
  if (!IsOpen(target)) return QUORBEL_FREEDOM_E_TARGET;
  return quorbel::RunGuarded([&] {
    std::vector<double> allocations(static_cast<size_t>(count)), units(static_cast<size_t>(count));
    for (int32_t g = 0; g < count; ++g) allocations[static_cast<size_t>(g)] = groups[g].sampled / allocated;
    // The split's sensitivity is not monotone in n, so the search goes up
    // one by one; it starts where the most detectable group alone, given
    // every unit, could first reach the target (one below, for rounding).
    double most = 0;
    for (int32_t g = 0; g < count; ++g)
      if (groups[g].sampled > 0) most = std::max(most, groups[g].sensitivity * groups[g].effectiveProbability);
    const double fewest = most >= 1.0 ? 1.0 : std::floor(std::log1p(-target) / std::log1p(-most)) - 1.0;
    int64_t n = fewest > 1.0 ? static_cast<int64_t>(std::min(fewest, static_cast<double>(INT32_MAX) + 1.0)) : 1;
    double sep = 0;
    for (; n <= INT32_MAX; ++n) {
      Split(n, allocations, &units);
      sep = Sensitivity(count, groups, units.data());
      if (sep >= target) break;
    }
    const bool reached = n <= INT32_MAX;
    *sampleSize = reached ? static_cast<double>(n) : 0.0;
    *sensitivity = sep;
    for (int32_t g = 0; g < count; ++g) groups[g].sampled = units[static_cast<size_t>(g)];
    return QuorbelResult{QUORBEL_OK};
  });
}
