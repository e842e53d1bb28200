// The Bayesian posteriors' loops: plain, on SSE2's two lanes, and on AVX2's
// four where the processor has them. See mixture_kernels.h.
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

// The plain loops, which also take the elements that the vector loops leave.
double RaisePlain(const double* in, const double* add, const double* shape, double r, double carry, int64_t k,
                 int64_t last, double* out) {
  for (; k <= last; ++k) {
    const double b = add != nullptr ? in[k] + add[k] : in[k];
    const double q = b * (shape[k] * r);
    out[k] = std::max(b - q, 0.0) + carry;
    carry = q;
  }
  return carry;
}

void ScalePlain(const double* f, const double* g, double factor, int64_t i, int64_t last, double* w) {
  for (; i <= last; ++i) w[i] = f[i] * g[i] * factor;
}

#if defined(__SSE2__)
// max(0, v) as std::max(v, 0.0) takes it: 0 when v < 0, else v.
double RaiseSse2(const double* in, const double* add, const double* shape, double r, double carry, int64_t first,
                 int64_t last, double* out) {
  const __m128d rate = _mm_set1_pd(r), zero = _mm_setzero_pd();
  __m128d before = _mm_set_pd(carry, 0.0);  // q[k - 1] in the high lane
  int64_t k = first;
  for (; k < last; k += 2) {
    __m128d b = _mm_loadu_pd(in + k);
    if (add != nullptr) b = _mm_add_pd(b, _mm_loadu_pd(add + k));
    const __m128d q = _mm_mul_pd(b, _mm_mul_pd(_mm_loadu_pd(shape + k), rate));
    const __m128d stays = _mm_max_pd(zero, _mm_sub_pd(b, q));
    _mm_storeu_pd(out + k, _mm_add_pd(stays, _mm_shuffle_pd(before, q, 1)));  // q[k - 1], q[k]
    before = q;
  }
  return RaisePlain(in, add, shape, r, _mm_cvtsd_f64(_mm_unpackhi_pd(before, before)), k, last, out);
}

void ScaleSse2(const double* f, const double* g, double factor, int64_t first, int64_t last, double* w) {
  const __m128d by = _mm_set1_pd(factor);
  int64_t i = first;
  for (; i < last; i += 2)
    _mm_storeu_pd(w + i, _mm_mul_pd(_mm_mul_pd(_mm_loadu_pd(f + i), _mm_loadu_pd(g + i)), by));
  ScalePlain(f, g, factor, i, last, w);
}
#endif

#ifdef QUORBEL_EXACT_HAS_AVX2_KERNELS
__attribute__((target("avx2"))) double RaiseAvx2(const double* in, const double* add, const double* shape,
                                                 double r, double carry, int64_t first, int64_t last, double* out) {
  const __m256d rate = _mm256_set1_pd(r), zero = _mm256_setzero_pd();
  __m256d before = _mm256_set_pd(carry, 0.0, 0.0, 0.0);  // q[k - 1] in the highest lane
  int64_t k = first;
  for (; k + 3 <= last; k += 4) {
    __m256d b = _mm256_loadu_pd(in + k);
    if (add != nullptr) b = _mm256_add_pd(b, _mm256_loadu_pd(add + k));
    const __m256d q = _mm256_mul_pd(b, _mm256_mul_pd(_mm256_loadu_pd(shape + k), rate));
    const __m256d stays = _mm256_max_pd(zero, _mm256_sub_pd(b, q));
    const __m256d halves = _mm256_permute2f128_pd(before, q, 0x21);  // before[2], before[3], q[0], q[1]
    const __m256d moved = _mm256_shuffle_pd(halves, q, 0x5);         // before[3], q[0], q[1], q[2]
    _mm256_storeu_pd(out + k, _mm256_add_pd(stays, moved));
    before = q;
  }
  const __m128d high = _mm256_extractf128_pd(before, 1);
  return RaisePlain(in, add, shape, r, _mm_cvtsd_f64(_mm_unpackhi_pd(high, high)), k, last, out);
}

__attribute__((target("avx2"))) void ScaleAvx2(const double* f, const double* g, double factor, int64_t first,
                                               int64_t last, double* w) {
  const __m256d by = _mm256_set1_pd(factor);
  int64_t i = first;
  for (; i + 3 <= last; i += 4)
    _mm256_storeu_pd(w + i, _mm256_mul_pd(_mm256_mul_pd(_mm256_loadu_pd(f + i), _mm256_loadu_pd(g + i)), by));
  ScalePlain(f, g, factor, i, last, w);
}
#endif

std::vector<NamedKernels> Available() {
  std::vector<NamedKernels> sets{{"plain", {RaisePlain, ScalePlain}}};
#if defined(__SSE2__)
  sets.push_back({"sse2", {RaiseSse2, ScaleSse2}});
#endif
#ifdef QUORBEL_EXACT_HAS_AVX2_KERNELS
  if (__builtin_cpu_supports("avx2")) sets.push_back({"avx2", {RaiseAvx2, ScaleAvx2}});
#endif
  return sets;
}

}  // namespace

const std::vector<NamedKernels>& EveryKernels() {
  static const std::vector<NamedKernels> sets = Available();
  return sets;
}

const MixtureKernels& Kernels() {
  static const MixtureKernels widest = EveryKernels().back().kernels;
  return widest;
}

}  // namespace quorbel::exact
