// Fuzz targets of the list-file readers and the field splitter. Each takes
// arbitrary bytes as the content of a list file (served from memory through
// the platform layer) and asserts only that the reader ends in a defined
// code with every file closed. The first byte chooses the list separator.
#ifndef QUORBEL_FUZZ_TARGETS_H
#define QUORBEL_FUZZ_TARGETS_H

#include <cstddef>
#include <cstdint>

namespace quorbel::fuzz {

int FuzzUnits(const uint8_t* data, std::size_t size);
int FuzzSizedUnits(const uint8_t* data, std::size_t size);
int FuzzClusters(const uint8_t* data, std::size_t size);
int FuzzFields(const uint8_t* data, std::size_t size);

}  // namespace quorbel::fuzz

#endif
