// True_Prevelance through the exported name.
#include "support.h"

namespace quorbel::test {
namespace {

struct Example {
  const char* name;
  float apparent, sensitivity, specificity;
  float truePrevalence;
  uint8_t negative;
};

// Expected estimates: tests/reference/small_formulas.py (the quotient in
// double, held once as a float).
const Example kExamples[] = {
    {"0.25 / 0.85", 0.3f, 0.9f, 0.95f, 0.29411766f, 0},
    {"negative estimate is flagged", 0.02f, 0.9f, 0.95f, -0.035294134f, 1},
    {"above 1 is returned and not flagged", 0.95f, 0.9f, 0.95f, 1.0588236f, 0},
    {"a perfect test returns the apparent prevalence", 0.3f, 1.0f, 1.0f, 0.3f, 0},
};

TEST(TruePrevalence, WorkedExamples) {
  for (const Example& e : kExamples) {
    TruePrevalenceResult r;
    Poison(r);
    ASSERT_EQ(QUORBEL_OK, Lib().True_Prevelance(e.apparent, e.sensitivity, e.specificity, &r)) << e.name;
    EXPECT_TRUE(BitsEqual(e.truePrevalence, r.truePrevalence)) << e.name;
    EXPECT_EQ(e.negative, r.negative) << e.name;
    for (uint8_t byte : r.padding) EXPECT_EQ(kPoison, byte) << e.name;
  }
}

struct Rejection {
  const char* name;
  float apparent, sensitivity, specificity;
  QuorbelResult code;
};

const Rejection kRejections[] = {
    {"apparent 0 whatever the others", 0.0f, 0.0f, 7.0f, QUORBEL_E_TEST_PREVALENCE},
    {"sensitivity 0", 0.3f, 0.0f, 0.95f, QUORBEL_E_SENSITIVITY},
    {"specificity 1.5", 0.3f, 0.9f, 1.5f, QUORBEL_E_SPECIFICITY},
    {"Se + Sp = 1 would divide by zero", 0.3f, 0.25f, 0.75f, QUORBEL_E_SPECIFICITY},
};

TEST(TruePrevalence, RejectionsInOrderWriteNothing) {
  for (const Rejection& r : kRejections) {
    TruePrevalenceResult result;
    Poison(result);
    EXPECT_EQ(r.code, Lib().True_Prevelance(r.apparent, r.sensitivity, r.specificity, &result)) << r.name;
    EXPECT_TRUE(IsUntouched(result)) << r.name;
  }
}

}  // namespace
}  // namespace quorbel::test
