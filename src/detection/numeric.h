// The numeric routines of the detection sample sizes: factorials, whole
// powers by repeated squaring, and the search for a reactor cut-off.
#ifndef QUORBEL_DETECTION_NUMERIC_H
#define QUORBEL_DETECTION_NUMERIC_H

#include <optional>

namespace quorbel {

// n! in double by the recurrence n (n - 1)!; -1 for n < 0. Above 170 the
// value is +infinity (171! exceeds the double range).
double Factorial(int n);

// x^n by repeated squaring in single precision, each product held; for n < 0
// the reciprocal. IntPower(x, 0) is 1 for every x.
float IntPower(float x, int n);

// x^e by repeated squaring in T's precision: the product taken when a bit of
// e is set, then x squared, from the lowest bit up. IntPower is this in float
// (each product of two floats rounded to a float); the Poisson terms use it
// in double.
template <class T>
T PowerBySquaring(T x, unsigned e) {
  T result = 1;
  while (true) {
    if (e & 1u) result *= x;
    e /= 2;
    if (e == 0) return result;
    x *= x;
  }
}

// How the binomial model raises Sp to the power m - k: the general real
// power (simple random detection) or IntPower (two-stage detection).
enum class SpecificityPower { kReal, kWhole };

// The smallest k < m at which the running float sum of the probabilities of
// 0..k false-positive reactors among m disease-free animals reaches
// 1 - falsePositiveRisk; none when k reaches m first (always for m <= 0).
// The model is chosen once: exact binomial for m <= 170, Poisson for
// lambda = m (1 - Sp) <= 30, the normal density otherwise.
std::optional<int> FindReactorCutOff(int m, float sp, float falsePositiveRisk, SpecificityPower power);

}  // namespace quorbel

#endif
