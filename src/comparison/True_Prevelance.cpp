// True_Prevelance: the Rogan-Gladen true prevalence behind the apparent
// prevalence of a test with imperfect sensitivity and specificity. The export
// is spelled so on purpose. See quorbel.h.
//
//   TP = (AP + Sp - 1) / (Se + Sp - 1)    (double, held once)
//
// Se + Sp < 1 reverses the sign; Se + Sp = 1 is refused, as it divides by 0.
#include "library/rules.h"

using namespace quorbel;

extern "C" QuorbelResult QUORBEL_CALL True_Prevelance(
    float apparentPrevalence, float sensitivity, float specificity, TruePrevalenceResult* result) {
  // The order of these checks is part of the contract.
  if (!IsProportionInclusive(apparentPrevalence)) return QUORBEL_E_TEST_PREVALENCE;
  if (!IsProportionInclusive(sensitivity)) return QUORBEL_E_SENSITIVITY;
  if (!IsProportionInclusive(specificity)) return QUORBEL_E_SPECIFICITY;
  const double denominator = static_cast<double>(specificity) + sensitivity - 1.0;
  if (denominator == 0.0) return QUORBEL_E_SPECIFICITY;

  const float truePrevalence = Hold((static_cast<double>(apparentPrevalence) + specificity - 1.0) / denominator);
  result->truePrevalence = truePrevalence;
  result->negative = truePrevalence < 0.0f ? 1 : 0;
  return QUORBEL_OK;
}
