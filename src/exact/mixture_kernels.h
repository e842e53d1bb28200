// The loops that the Bayesian posteriors and the population's reactor
// counts spend their time in, written for the widest vectors the processor
// has. Every lane computes its element by the same operations, in the same
// order, as the plain loop would, so the answers are the same bits on every
// processor.
#ifndef QUORBEL_EXACT_MIXTURE_KERNELS_H
#define QUORBEL_EXACT_MIXTURE_KERNELS_H

#include <cstdint>
#include <vector>

namespace quorbel::exact {

// v[first] + ... + v[last] in kSumParts interleaved partial sums: part m
// takes v[first + m], v[first + m + kSumParts], ... over the whole blocks
// of kSumParts, part 0 then takes the rest one by one, and the sum is
// (part 0 + part 2) + (part 1 + part 3).
constexpr int kSumParts = 4;
double Sum(const double* v, int64_t first, int64_t last);

// Raises a band of Beta(P_k, T - P_k) components by one in total shape:
// with b[k] = in[k] (+ add[k] when add is given) and P_k = shape[k],
// q[k] = b[k] (P_k r) moves up to k + 1 and max(b[k] - q[k], 0) stays:
//   out[k] = max(b[k] - q[k], 0) + q[k - 1],  k = first .. last,
// where r = 1 / T and q[first - 1] = carry. Returns q[last]. Given `sum`
// (and add), it receives Sum(add, first, last) in the same pass.
using RaiseKernel = double (*)(const double* in, const double* add, const double* shape, double r, double carry,
                               int64_t first, int64_t last, double* out, double* sum);

// w[i] = f[i] g[i] factor, i = first .. last.
using ScaleKernel = void (*)(const double* f, const double* g, double factor, int64_t first, int64_t last, double* w);

// out[i] += factor in[i], i = first .. last: one row of a convolution.
using AddScaledKernel = void (*)(const double* in, double factor, int64_t first, int64_t last, double* out);

struct MixtureKernels {
  RaiseKernel raise;
  ScaleKernel scale;
  AddScaledKernel addScaled;
};

// The kernels of the widest vectors this processor has, chosen once.
const MixtureKernels& Kernels();

// Every set of kernels this build holds and this processor runs, the plain
// loops first, by name ("plain", "sse2", "avx2"): for tests.
struct NamedKernels {
  const char* name;
  MixtureKernels kernels;
};
const std::vector<NamedKernels>& EveryKernels();

}  // namespace quorbel::exact

#endif
