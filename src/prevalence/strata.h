// What the stratified calculations share.
#ifndef QUORBEL_PREVALENCE_STRATA_H
#define QUORBEL_PREVALENCE_STRATA_H

#include "quorbel.h"

namespace quorbel {

// Stratum slots in the order 2, 1, 3, 4, 5, in which the stratified sums of
// sizes and weights are taken.
constexpr int kStrataSecondFirst[QUORBEL_STRATA] = {1, 0, 2, 3, 4};

}  // namespace quorbel

#endif
