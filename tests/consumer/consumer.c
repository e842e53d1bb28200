/* A program outside the tree that uses the installed library: the worked
 * example of the simple-random sample size (473 of a population of 1,000 at
 * prevalence 0.3, relative precision 0.1, 95 %) and the exact layer's design
 * of 189 animals (N 1,000, P 0.05, Se 0.95, Sp 0.98). C89, so that the
 * header is proven in the oldest C it promises. */
#include <stdio.h>
#include <string.h>

#include "quorbel.h"
#include "quorbel_exact.h"

int main(void) {
  int32_t sizes[QUORBEL_LADDER_RESULTS];
  QuorbelExactDesign design;
  if (SampleSize_SimpleRandom(0.3f, 0.1f, 95, 1000, sizes) != QUORBEL_OK || sizes[0] != 473) {
    printf("sample size: %d\n", (int)sizes[0]);
    return 1;
  }
  if (QuorbelExact_Design(1000, 0.05, 0.95, 0.98, 95, 0.95, &design) != QUORBEL_OK || design.sampleSize != 189) {
    printf("exact design: %d\n", (int)design.sampleSize);
    return 1;
  }
  if (strcmp(Quorbel_Version(), QUORBEL_VERSION) != 0) {
    printf("version %s against header %s\n", Quorbel_Version(), QUORBEL_VERSION);
    return 1;
  }
  printf("consumer: 473 and 189 from quorbel %s\n", Quorbel_Version());
  return 0;
}
