// Factorial and IntPower. See numeric.h.
//
// Factorials come from a table filled by the same recurrence the definition
// uses, n! = n (n - 1)!, so each entry is the value the recursion gives, and a
// search over k costs no O(k) recursion per term.
#include <array>
#include <cstdlib>

#include "detection/numeric.h"
#include "library/rules.h"

namespace quorbel {
namespace {

constexpr int kLargestFiniteFactorial = 170;

const std::array<double, kLargestFiniteFactorial + 1>& FactorialTable() {
  static const auto table = [] {
    std::array<double, kLargestFiniteFactorial + 1> values{};
    values[0] = 1.0;
    for (int n = 1; n <= kLargestFiniteFactorial; ++n) values[n] = n * values[n - 1];
    return values;
  }();
  return table;
}

}  // namespace

double Factorial(int n) {
  if (n < 0) return -1.0;
  if (n > kLargestFiniteFactorial) return HUGE_VAL;  // n (n - 1)! overflows from 171 on
  return FactorialTable()[n];
}

float IntPower(float x, int n) {
  // |n| as unsigned, so that INT32_MIN has a magnitude too. A product of two
  // floats in float arithmetic is the exact product rounded once to a float.
  const float result = PowerBySquaring(x, n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n));
  return n < 0 ? Hold(1.0 / result) : result;
}

}  // namespace quorbel
