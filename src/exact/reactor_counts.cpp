// See reactor_counts.h.
#include "exact/reactor_counts.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "exact/mixture_kernels.h"
#include "exact/sums.h"

namespace quorbel::exact {

namespace {

// Bin(n, p)'s non-negligible masses, from the count `first` on.
struct Window {
  int64_t first = 0;
  std::vector<double> mass;
  int64_t Size() const { return static_cast<int64_t>(mass.size()); }
};

Window BinomialWindow(int64_t n, double p) {
  if (n == 0 || p <= 0.0) return {0, {1.0}};
  if (p >= 1.0) return {n, {1.0}};
  int64_t lo = n, hi = 0;
  std::vector<std::pair<int64_t, double>> visited;
  ForBinomial(n, p, [&](int64_t x, double weight) {
    visited.emplace_back(x, weight);
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  });
  Window window{lo, std::vector<double>(static_cast<size_t>(hi - lo + 1), 0.0)};
  for (const auto& [x, weight] : visited) window.mass[static_cast<size_t>(x - lo)] = weight;
  return window;
}

// The convolution, one diseased count at a time: each row adds the healthy
// units' masses, shifted, to the total's.
std::vector<double> Convolution(const Window& sick, const Window& healthy) {
  std::vector<double> mass(static_cast<size_t>(sick.Size() + healthy.Size() - 1), 0.0);
  const AddScaledKernel addRow = Kernels().addScaled;
  for (int64_t a = 0; a < sick.Size(); ++a)
    addRow(healthy.mass.data(), sick.mass[static_cast<size_t>(a)], 0, healthy.Size() - 1, mass.data() + a);
  return mass;
}

// The convolution's mass k alone, its terms added in the same order.
double ConvolutionAt(const Window& sick, const Window& healthy, int64_t k) {
  double total = 0.0;
  for (int64_t a = std::max<int64_t>(0, k - (healthy.Size() - 1)); a <= std::min(sick.Size() - 1, k); ++a)
    total += sick.mass[static_cast<size_t>(a)] * healthy.mass[static_cast<size_t>(k - a)];
  return total;
}

// R's generating function is A(z)^D B(z)^M with A = 1 - Se + Se z,
// B = 1 - q + q z and M = N - D. From A B G' = (D Se B + M q A) G its masses
// g(r) follow
//   a0 (r + 1) g(r + 1) = (b0 - a1 r) g(r) + (b1 - a2 (r - 1)) g(r - 1),
// where a0 + a1 z + a2 z^2 = A B and b0 + b1 z = D Se B + M q A. Below
// r_s = b0 / a1 every term is positive when the recurrence runs upward,
// above it when it runs downward; those are the directions in which the
// masses outgrow the recurrence's other solution, which alternates in sign.
// So each side of r_s runs from the window's edge toward r_s, starting from
// the convolution's masses there, and is then scaled to the convolution's
// mass where that side's masses are largest.
struct Recurrence {
  double a0, a1, a2, b0, b1;
  int64_t first;

  double Up(int64_t k, double here, double below) const {
    const double r = static_cast<double>(first + k);
    return ((b0 - a1 * r) * here + (b1 - a2 * (r - 1.0)) * below) / (a0 * (r + 1.0));
  }
  double Down(int64_t k, double here, double above) const {
    const double r = static_cast<double>(first + k);
    return (a0 * (r + 1.0) * above - (b0 - a1 * r) * here) / (b1 - a2 * (r - 1.0));
  }
};

// The recurrence must keep within this much of the mass at the mean of the
// convolution's own, where both are taken.
constexpr double kRecurrenceAgreement = 1e-12;
// Below this many masses in either binomial the convolution costs little.
constexpr int64_t kShortestRecurred = 32;

// Scales mass[from .. to] so that mass[at] is the convolution's; false when
// mass[check] then strays from the convolution's by more than `tolerance`.
bool Scaled(const Window& sick, const Window& healthy, int64_t from, int64_t to, int64_t at, int64_t check,
            double tolerance, std::vector<double>* mass) {
  std::vector<double>& g = *mass;
  const double scale = ConvolutionAt(sick, healthy, at) / g[static_cast<size_t>(at)];
  if (!std::isfinite(scale)) return false;
  for (int64_t k = from; k <= to; ++k) g[static_cast<size_t>(k)] *= scale;
  return std::fabs(g[static_cast<size_t>(check)] - ConvolutionAt(sick, healthy, check)) <= tolerance;
}

bool Recurred(const Window& sick, const Window& healthy, int64_t diseased, int64_t healthyUnits, double se, double q,
              int64_t first, std::vector<double>* mass) {
  const double D = static_cast<double>(diseased), M = static_cast<double>(healthyUnits);
  const Recurrence rec{(1.0 - se) * (1.0 - q), (1.0 - se) * q + se * (1.0 - q), se * q,
                       D * se * (1.0 - q) + M * q * (1.0 - se), se * q * (D + M), first};
  const int64_t size = sick.Size() + healthy.Size() - 1;
  const int64_t split = std::clamp(static_cast<int64_t>(std::ceil(rec.b0 / rec.a1)) - first, int64_t{0}, size);
  const int64_t middle = std::clamp(static_cast<int64_t>(std::llround(D * se + M * q)) - first, int64_t{0}, size - 1);
  const double tolerance = kRecurrenceAgreement * ConvolutionAt(sick, healthy, middle);
  std::vector<double> g(static_cast<size_t>(size), 0.0);
  if (split > 0) {  // 0 .. split - 1, upward
    g[0] = ConvolutionAt(sick, healthy, 0);
    if (split > 1) g[1] = ConvolutionAt(sick, healthy, 1);
    for (int64_t k = 1; k + 1 < split; ++k) g[static_cast<size_t>(k + 1)] = rec.Up(k, g[static_cast<size_t>(k)], g[static_cast<size_t>(k - 1)]);
    const int64_t at = std::min(split - 1, middle);
    if (!Scaled(sick, healthy, 0, split - 1, at, at / 2, tolerance, &g)) return false;
  }
  if (split < size) {  // split .. size - 1, downward
    g[static_cast<size_t>(size - 1)] = ConvolutionAt(sick, healthy, size - 1);
    if (size - 2 >= split) g[static_cast<size_t>(size - 2)] = ConvolutionAt(sick, healthy, size - 2);
    for (int64_t k = size - 2; k > split; --k) g[static_cast<size_t>(k - 1)] = rec.Down(k, g[static_cast<size_t>(k)], g[static_cast<size_t>(k + 1)]);
    const int64_t at = std::max(split, middle);
    if (!Scaled(sick, healthy, split, size - 1, at, at + (size - 1 - at) / 2, tolerance, &g)) return false;
  }
  *mass = std::move(g);
  return true;
}

}  // namespace

ReactorCounts ConvolveReactors(int64_t population, int64_t diseased, double se, double q) {
  const Window sick = BinomialWindow(diseased, se), healthy = BinomialWindow(population - diseased, q);
  return {sick.first + healthy.first, Convolution(sick, healthy)};
}

ReactorCounts CountReactors(int64_t population, int64_t diseased, double se, double q) {
  const Window sick = BinomialWindow(diseased, se), healthy = BinomialWindow(population - diseased, q);
  ReactorCounts counts{sick.first + healthy.first, {}};
  const bool spread = sick.Size() >= kShortestRecurred && healthy.Size() >= kShortestRecurred && se > 0.0 && se < 1.0 &&
                      q > 0.0 && q < 1.0;
  counts.recurred = spread && Recurred(sick, healthy, diseased, population - diseased, se, q, counts.first, &counts.mass);
  if (!counts.recurred) counts.mass = Convolution(sick, healthy);
  return counts;
}

}  // namespace quorbel::exact
