// ConfidenceInterval_TwoStages and ConfidenceInterval_TwoStages_A: the
// prevalence of a two-stage survey from a cluster list, with its interval,
// standard error, design effect and intra-cluster correlation. See quorbel.h.
//
//   p   = B / A                            (positives over animals)
//   SE  = sqrt(m / (m - 1) * sum((b - p a)^2)) / A
//   deff = SE^2 / (p (1 - p) / A),  rho = (deff - 1) / (A / m - 1)
//
// Every running sum and named value is held as a float. A single cluster, or
// clusters of one animal each, divide by zero: the affected fields come out
// infinite or NaN with code 0, as IEEE arithmetic gives them.
#include <cmath>
#include <cstdint>

#include "library/exception_guard.h"
#include "library/narrow_path.h"
#include "library/rules.h"
#include "library/working_array.h"
#include "listfiles/list_file.h"

using namespace quorbel;

namespace {

struct Sums {
  float m = 0, a = 0, b = 0, a2 = 0, b2 = 0, ab = 0;
};

// The record checks: a blank name (trailing spaces only trimmed), then more
// positives than animals. Returns the code and sets line and field.
ResultCode CheckCluster(const ClusterEntry& cluster, int32_t k, int32_t* line, int32_t* field) {
  ResultCode code = QUORBEL_OK;
  if (cluster.blankName) {
    code = QUORBEL_E_CLUSTER_FIELD;
    *field = 1;
  } else if (cluster.firstCount < cluster.secondCount) {
    code = cluster.firstCount == 0 ? QUORBEL_E_CLUSTER_NO_ANIMALS : QUORBEL_E_CLUSTER_POSITIVES;
    *field = cluster.firstCount == 0 ? 2 : 3;
  }
  if (code != QUORBEL_OK) *line = k;
  return code;
}

Sums Sum(const ClusterEntry* clusters, int32_t count) {
  Sums s;
  for (int32_t i = 0; i < count; ++i) {
    const float animals = Hold(clusters[i].firstCount), positives = Hold(clusters[i].secondCount);
    s.m = Hold(s.m + 1.0);
    s.a = Hold(s.a + static_cast<double>(animals));
    s.b = Hold(s.b + static_cast<double>(positives));
    s.a2 = Hold(s.a2 + static_cast<double>(Hold(static_cast<double>(animals) * animals)));
    s.b2 = Hold(s.b2 + static_cast<double>(Hold(static_cast<double>(positives) * positives)));
    const int64_t product = static_cast<int64_t>(clusters[i].firstCount) * clusters[i].secondCount;
    s.ab = Hold(s.ab + static_cast<double>(Hold(static_cast<double>(product))));
  }
  return s;
}

void Estimate(const Sums& s, double z, TwoStageIntervalResult* result) {
  const double p = result->prevalence;
  const float t = Hold(2.0 * p * s.ab);
  const float q = Hold(p * p);
  const float u = Hold(static_cast<double>(q) * s.a2);
  const float squares = Hold(u + (static_cast<double>(s.b2) - t));
  const float v = Hold(squares / (static_cast<double>(s.m) * (s.m - 1.0)));
  const float r = Hold(std::sqrt(static_cast<double>(v)));
  const float se = Hold(static_cast<double>(r) * s.m / s.a);
  result->standardError = se;
  const float s0 = Hold(std::sqrt(static_cast<double>(Hold(p * (1.0 - p) / s.a))));
  const float deff = Hold(static_cast<double>(Hold(static_cast<double>(se) * se)) / Hold(static_cast<double>(s0) * s0));
  result->designEffect = deff;
  const float c = Hold(static_cast<double>(s.a) / s.m);
  result->intraClusterCorrelation = Hold((deff - 1.0) / (c - 1.0));
  const float h = Hold(z * static_cast<double>(se));
  result->lower = Hold(p - h);
  result->upper = Hold(p + h);
}

ResultCode Compute(int confidenceLevel, const wchar_t* path, int32_t* errorLine, int32_t* errorField,
                   TwoStageIntervalResult* result) {
  const int32_t count = ListFile_CountClusters(path);
  if (count == 0) return QUORBEL_E_CLUSTER_FILE;
  WorkingArray<ClusterEntry> clusters(static_cast<std::size_t>(count));
  if (!clusters.IsAllocated()) return QUORBEL_E_NO_MEMORY;
  const ListReadError read = ListFile_ReadClusters(clusters.data(), path, count);
  if (read.code != QUORBEL_OK) {
    *errorLine = read.line;
    *errorField = read.field;
    return static_cast<ResultCode>(read.code);
  }
  for (int32_t i = 0; i < count; ++i)
    if (const ResultCode code = CheckCluster(clusters[i], i + 1, errorLine, errorField)) return code;

  const Sums s = Sum(clusters.data(), count);
  result->clusters = FloorSize(s.m + 0.5);
  result->animals = FloorSize(s.a + 0.5);
  result->positives = FloorSize(s.b + 0.5);
  result->prevalence = Hold(static_cast<double>(s.b) / s.a);
  if (s.b < 2.0f) {
    result->lower = result->upper = result->standardError = 0.0f;
    result->designEffect = result->intraClusterCorrelation = 0.0f;
    return QUORBEL_E_CLUSTER_FILE;
  }
  Estimate(s, ConfidenceQuantile(confidenceLevel), result);
  return QUORBEL_OK;
}

}  // namespace

extern "C" QuorbelResult QUORBEL_CALL ConfidenceInterval_TwoStages(
    int confidenceLevel, const wchar_t* clusterFile, int32_t* errorLine, int32_t* errorField,
    TwoStageIntervalResult* result) {
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;
  return RunGuarded([&] { return Compute(confidenceLevel, clusterFile, errorLine, errorField, result); });
}

extern "C" QuorbelResult QUORBEL_CALL ConfidenceInterval_TwoStages_A(
    int confidenceLevel, const char* clusterFile, int32_t* errorLine, int32_t* errorField,
    TwoStageIntervalResult* result) {
  const WidePath path = WidenPath(clusterFile);
  return ConfidenceInterval_TwoStages(confidenceLevel, path.text, errorLine, errorField, result);
}
