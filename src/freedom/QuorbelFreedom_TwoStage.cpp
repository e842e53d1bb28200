// QuorbelFreedom_TwoStage: animals per herd and herds to sample for a
// two-stage survey of freedom over herds of known sizes. See
// quorbel_freedom.h.
#include <algorithm>
#include <cmath>
#include <map>

#include "freedom/checks.h"
#include "library/exception_guard.h"
#include "quorbel_freedom.h"

using namespace quorbel::freedom;

namespace {

bool IsHerdSize(double animals) { return (std::isinf(animals) && animals > 0) || IsWhole(animals, 1); }

// The animals one herd tests: the smallest sample that reaches the herd
// target, or every animal of a herd too small to reach it.
QuorbelFreedomHerd HerdDesign(double animals, double within, double sensitivity, double herdTarget) {
  QuorbelFreedomSize size{};
  QuorbelFreedom_SampleSize(animals, within, sensitivity, herdTarget, &size);
  QuorbelFreedomHerd herd{animals, size.sampleSize, size.sensitivity, size.reachable, 0};
  if (!size.reachable && !std::isinf(animals)) herd.sampleSize = animals;
  return herd;
}

}  // namespace

extern "C" QuorbelResult QuorbelFreedom_TwoStage(double herdPrevalence, double withinPrevalence, double sensitivity,
                                                 double herdTarget, double target, int32_t count,
                                                 QuorbelFreedomHerd* herds, QuorbelFreedomTwoStage* result) {
  if (count < 1 || !std::all_of(herds, herds + count, [](const QuorbelFreedomHerd& h) { return IsHerdSize(h.animals); }))
    return QUORBEL_FREEDOM_E_HERDS;
  if (!IsOpen(herdPrevalence)) return QUORBEL_FREEDOM_E_PREVALENCE;
  if (!IsOpen(withinPrevalence)) return QUORBEL_FREEDOM_E_WITHIN;
  if (!IsProbability(sensitivity)) return QUORBEL_FREEDOM_E_SENSITIVITY;
  if (!IsOpen(herdTarget)) return QUORBEL_FREEDOM_E_HERD_TARGET;
  if (!IsOpen(target)) return QUORBEL_FREEDOM_E_TARGET;
  return quorbel::RunGuarded([&] {
    // Lists repeat herd sizes: each size is searched once.
    std::map<double, QuorbelFreedomHerd> bySize;
    QuorbelFreedomTwoStage out{1, 0, 1.0, 0.0, 0.0, 0.0};
    for (QuorbelFreedomHerd* herd = herds; herd != herds + count; ++herd) {
      auto known = bySize.find(herd->animals);
      if (known == bySize.end())
        known = bySize.emplace(herd->animals, HerdDesign(herd->animals, withinPrevalence, sensitivity, herdTarget)).first;
      *herd = known->second;
      out.herdsShort += herd->reachable ? 0 : 1;
      out.herdSensitivity = std::min(out.herdSensitivity, herd->sensitivity);
    }
    const double herdPopulation = static_cast<double>(count);
    double unused = 0;
    QuorbelFreedom_Sensitivity(herdPopulation, 0, herdPrevalence, 1, &unused, &out.diseasedHerds);
    QuorbelFreedomSize herdStage{};
    // A herd stage whose herds detect nothing cannot reach the target.
    if (out.herdSensitivity > 0)
      QuorbelFreedom_SampleSize(herdPopulation, herdPrevalence, out.herdSensitivity, target, &herdStage);
    out.reachable = herdStage.reachable;
    out.herdsToSample = herdStage.reachable ? herdStage.sampleSize : herdPopulation;
    out.sensitivity = herdStage.sensitivity;
    *result = out;
    return QuorbelResult{QUORBEL_OK};
  });
}
