// The Bayesian posteriors' and the reactor counts' loops: plain, on SSE2's
// two lanes, and on AVX2's four where the processor has them. See
// mixture_kernels.h.
#include "exact/mixture_kernels.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__)
#include <immintrin.h>
#define QUORBEL_EXACT_HAS_AVX2_KERNELS 1
#endif

namespace quorbel::exact {
namespace {

// The sum of the partial sums, in Sum's order.
inline double Combined(const double* part) { return (part[0] + part[2]) + (part[1] + part[3]); }

// Raises component k; returns the part it moves up.
inline double RaiseOne(const double* in, const double* add, const double* shape, double r, double carry, int64_t k,
                       double* out) {
  const double b = add != nullptr ? in[k] + add[k] : in[k];
  const double q = b * (shape[k] * r);
  out[k] = std::max(b - q, 0.0) + carry;
  return q;
}

// The components after the whole blocks, one at a time, part 0 summing
// their additions; then the parts added into *sum when it is given.
double RaiseTail(const double* in, const double* add, const double* shape, double r, double carry, int64_t k,
                 int64_t last, double* out, double* part, double* sum) {
  for (; k <= last; ++k) {
    carry = RaiseOne(in, add, shape, r, carry, k, out);
    if (add != nullptr) part[0] += add[k];
  }
  if (sum != nullptr) *sum = Combined(part);
  return carry;
}

double RaisePlain(const double* in, const double* add, const double* shape, double r, double carry, int64_t first,
                  int64_t last, double* out, double* sum) {
  double part[kSumParts] = {};
  int64_t k = first;
  for (; k + kSumParts - 1 <= last; k += kSumParts)
    for (int m = 0; m < kSumParts; ++m) {
      carry = RaiseOne(in, add, shape, r, carry, k + m, out);
      if (add != nullptr) part[m] += add[k + m];
    }
  return RaiseTail(in, add, shape, r, carry, k, last, out, part, sum);
}

void ScalePlain(const double* f, const double* g, double factor, int64_t i, int64_t last, double* w) {
  for (; i <= last; ++i) w[i] = f[i] * g[i] * factor;
}

void AddScaledPlain(const double* in, double factor, int64_t i, int64_t last, double* out) {
  for (; i <= last; ++i) out[i] += factor * in[i];
}

#if defined(__SSE2__)
// Two components from k: the weights (plus add's) b, the parts moved up q;
// `before` holds q[k - 1] in its high lane and receives q[k], q[k + 1].
// max(0, v) is std::max(v, 0.0): 0 when v < 0, else v.
inline __m128d RaiseTwo(const double* in, const double* add, const double* shape, __m128d rate, int64_t k,
                        double* out, __m128d* before) {
  __m128d b = _mm_loadu_pd(in + k);
  const __m128d added = add != nullptr ? _mm_loadu_pd(add + k) : _mm_setzero_pd();
  if (add != nullptr) b = _mm_add_pd(b, added);
  const __m128d q = _mm_mul_pd(b, _mm_mul_pd(_mm_loadu_pd(shape + k), rate));
  const __m128d stays = _mm_max_pd(_mm_setzero_pd(), _mm_sub_pd(b, q));
  _mm_storeu_pd(out + k, _mm_add_pd(stays, _mm_shuffle_pd(*before, q, 1)));  // q[k - 1], q[k]
  *before = q;
  return added;
}

double RaiseSse2(const double* in, const double* add, const double* shape, double r, double carry, int64_t first,
                 int64_t last, double* out, double* sum) {
  const __m128d rate = _mm_set1_pd(r);
  __m128d before = _mm_set_pd(carry, 0.0);
  __m128d low = _mm_setzero_pd(), high = _mm_setzero_pd();  // parts 0, 1 and 2, 3
  int64_t k = first;
  for (; k + kSumParts - 1 <= last; k += kSumParts) {
    low = _mm_add_pd(low, RaiseTwo(in, add, shape, rate, k, out, &before));
    high = _mm_add_pd(high, RaiseTwo(in, add, shape, rate, k + 2, out, &before));
  }
  double part[kSumParts];
  _mm_storeu_pd(part, low);
  _mm_storeu_pd(part + 2, high);
  return RaiseTail(in, add, shape, r, _mm_cvtsd_f64(_mm_unpackhi_pd(before, before)), k, last, out, part, sum);
}

void ScaleSse2(const double* f, const double* g, double factor, int64_t first, int64_t last, double* w) {
  const __m128d by = _mm_set1_pd(factor);
  int64_t i = first;
  for (; i < last; i += 2)
    _mm_storeu_pd(w + i, _mm_mul_pd(_mm_mul_pd(_mm_loadu_pd(f + i), _mm_loadu_pd(g + i)), by));
  ScalePlain(f, g, factor, i, last, w);
}

void AddScaledSse2(const double* in, double factor, int64_t first, int64_t last, double* out) {
  const __m128d by = _mm_set1_pd(factor);
  int64_t i = first;
  for (; i < last; i += 2)
    _mm_storeu_pd(out + i, _mm_add_pd(_mm_loadu_pd(out + i), _mm_mul_pd(by, _mm_loadu_pd(in + i))));
  AddScaledPlain(in, factor, i, last, out);
}
#endif

#ifdef QUORBEL_EXACT_HAS_AVX2_KERNELS
// Each AVX2 kernel clears the vectors' upper halves before the plain code
// it ends in: left set, they slow every SSE instruction after them.
__attribute__((target("avx2"))) double RaiseAvx2(const double* in, const double* add, const double* shape,
                                                 double r, double carry, int64_t first, int64_t last, double* out,
                                                 double* sum) {
  const __m256d rate = _mm256_set1_pd(r), zero = _mm256_setzero_pd();
  __m256d before = _mm256_set_pd(carry, 0.0, 0.0, 0.0);  // q[k - 1] in the highest lane
  __m256d parts = zero;
  int64_t k = first;
  for (; k + kSumParts - 1 <= last; k += kSumParts) {
    __m256d b = _mm256_loadu_pd(in + k);
    if (add != nullptr) {
      const __m256d added = _mm256_loadu_pd(add + k);
      b = _mm256_add_pd(b, added);
      parts = _mm256_add_pd(parts, added);
    }
    const __m256d q = _mm256_mul_pd(b, _mm256_mul_pd(_mm256_loadu_pd(shape + k), rate));
    const __m256d stays = _mm256_max_pd(zero, _mm256_sub_pd(b, q));
    const __m256d halves = _mm256_permute2f128_pd(before, q, 0x21);  // before[2], before[3], q[0], q[1]
    const __m256d moved = _mm256_shuffle_pd(halves, q, 0x5);         // before[3], q[0], q[1], q[2]
    _mm256_storeu_pd(out + k, _mm256_add_pd(stays, moved));
    before = q;
  }
  double part[kSumParts];
  _mm256_storeu_pd(part, parts);
  const __m128d high = _mm256_extractf128_pd(before, 1);
  carry = _mm_cvtsd_f64(_mm_unpackhi_pd(high, high));
  _mm256_zeroupper();
  return RaiseTail(in, add, shape, r, carry, k, last, out, part, sum);
}

__attribute__((target("avx2"))) void ScaleAvx2(const double* f, const double* g, double factor, int64_t first,
                                               int64_t last, double* w) {
  const __m256d by = _mm256_set1_pd(factor);
  int64_t i = first;
  for (; i + 3 <= last; i += 4)
    _mm256_storeu_pd(w + i, _mm256_mul_pd(_mm256_mul_pd(_mm256_loadu_pd(f + i), _mm256_loadu_pd(g + i)), by));
  _mm256_zeroupper();
  ScalePlain(f, g, factor, i, last, w);
}

__attribute__((target("avx2"))) void AddScaledAvx2(const double* in, double factor, int64_t first, int64_t last,
                                                   double* out) {
  const __m256d by = _mm256_set1_pd(factor);
  int64_t i = first;
  for (; i + 3 <= last; i += 4)
    _mm256_storeu_pd(out + i, _mm256_add_pd(_mm256_loadu_pd(out + i), _mm256_mul_pd(by, _mm256_loadu_pd(in + i))));
  _mm256_zeroupper();
  AddScaledPlain(in, factor, i, last, out);
}
#endif

std::vector<NamedKernels> Available() {
  std::vector<NamedKernels> sets{{"plain", {RaisePlain, ScalePlain, AddScaledPlain}}};
#if defined(__SSE2__)
  sets.push_back({"sse2", {RaiseSse2, ScaleSse2, AddScaledSse2}});
#endif
#ifdef QUORBEL_EXACT_HAS_AVX2_KERNELS
  if (__builtin_cpu_supports("avx2")) sets.push_back({"avx2", {RaiseAvx2, ScaleAvx2, AddScaledAvx2}});
#endif
  return sets;
}

}  // namespace

double Sum(const double* v, int64_t first, int64_t last) {
  double part[kSumParts] = {};
  int64_t i = first;
  for (; i + kSumParts - 1 <= last; i += kSumParts)
    for (int m = 0; m < kSumParts; ++m) part[m] += v[i + m];
  for (; i <= last; ++i) part[0] += v[i];
  return Combined(part);
}

const std::vector<NamedKernels>& EveryKernels() {
  static const std::vector<NamedKernels> sets = Available();
  return sets;
}

const MixtureKernels& Kernels() {
  static const MixtureKernels widest = EveryKernels().back().kernels;
  return widest;
}

}  // namespace quorbel::exact
