// The libFuzzer entry of one target, chosen at build time.
#include "targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  return quorbel::fuzz::QUORBEL_FUZZ_ENTRY(data, size);
}
