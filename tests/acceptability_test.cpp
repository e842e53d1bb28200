// The Blaker and Sterne intervals against R, straight from their
// definitions (pbinom, dbinom): the acceptability on a grid of 200,000
// points below x / n, the first accepted point bisected to 1e-15, the upper
// end as one minus the lower end of n - x. Agreement to 1e-10 is asked.
// epiR 2.0.57's epi.prev, whose Blaker search steps by 1e-4, agrees roughly
// (18 of 150 at 95 %: Blaker 0.07419 to 0.18151, Sterne 0.07566699 to
// 0.1826025). Natively through the library's exported names; in the Windows
// builds through the linked objects.
#include "quorbel_exact.h"
#include "support.h"

namespace quorbel::test {
namespace {

#define EXACT(name) NATIVE_EXPORT(name)

struct AcceptabilityCase {
  int32_t x, n;
  double level;
  double limits[4];  // Blaker lower, upper; Sterne lower, upper
};

TEST(Acceptability, BlakerAndSterneAgreeWithTheirDefinitionsInR) {
  const AcceptabilityCase cases[] = {
      // Sterne's set has a gap here ([0, 0.2320] and [0.2442, 0.2505]): the
      // hull reaches past the Clopper-Pearson limit, 0.2442.
      {0, 15, 97, {0, 0.232015923045, 0, 0.250454756348}},
      {18, 150, 95, {0.074230042672, 0.181439703546, 0.075666992979, 0.182602494444}},
      {7, 40, 99, {0.061148513210, 0.369206782060, 0.061148513210, 0.370693589524}},
      {15, 15, 95, {0.784981251132, 1, 0.777781884925, 1}},
      {1, 10, 97, {0.003041286638, 0.444447086062, 0.003041286638, 0.446488669329}},
      {7, 40, 97, {0.076226785444, 0.335865053042, 0.076226785444, 0.335865053042}},
      {30, 100, 90, {0.228721776408, 0.381323157977, 0.230225583980, 0.381323157977}},
      // A large sample, where Sterne's search starts far below its answer
      // (at 0.330 for the lower end); R scanned 20,001 points over the 0.012
      // below x / n and found nothing accepted lower down (at most 0.0125
      // on a grid of 400). Sterne's ends lie either side of Blaker's.
      {3500, 10000, 95, {0.340685079429, 0.359436702233, 0.340695484248, 0.359445883994}},
      // Sterne's test of K + 1 against x rounds to exactly 0 over several
      // last bits of p at its step here, so the step is where the test
      // first passes, not where it is first below 0 (R as above).
      {166, 10000, 99.9, {0.012743376654, 0.021195495899, 0.012771651134, 0.021224110289}},
  };
  for (const AcceptabilityCase& c : cases) {
    QuorbelExactInterval blaker{}, sterne{};
    ASSERT_EQ(EXACT(QuorbelExact_AcceptabilityIntervals)(c.x, c.n, c.level, &blaker, &sterne), QUORBEL_OK);
    const double got[4] = {blaker.lower, blaker.upper, sterne.lower, sterne.upper};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(got[k], c.limits[k], 1e-10) << c.x << "/" << c.n << " limit " << k;
  }
}

TEST(Acceptability, RefusesInItsOrder) {
  QuorbelExactInterval b{}, s{};
  EXPECT_EQ(EXACT(QuorbelExact_AcceptabilityIntervals)(0, 0, 0, &b, &s), QUORBEL_EXACT_E_SAMPLE);
  EXPECT_EQ(EXACT(QuorbelExact_AcceptabilityIntervals)(11, 10, 0, &b, &s), QUORBEL_EXACT_E_POSITIVES);
  EXPECT_EQ(EXACT(QuorbelExact_AcceptabilityIntervals)(1, 10, 99.995, &b, &s), QUORBEL_EXACT_E_CONFIDENCE);
}

}  // namespace
}  // namespace quorbel::test
