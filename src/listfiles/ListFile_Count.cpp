// ListFile_MeasureUnits, ListFile_CountUnits and ListFile_CountClusters:
// where a list ends, and how much room its names need. See list_file.h. Any
// exception while counting counts no records.
#include <cstdint>

#include "library/exception_guard.h"
#include "listfiles/line_reader.h"
#include "listfiles/list_file.h"

namespace quorbel {
namespace {

constexpr int kClusterFields = 3;
constexpr std::size_t kMaxNameCharacters = kLineCapacity - 1;
constexpr ListSize kNoRecords = {0, 0};

// a + b, or SIZE_MAX when the sum does not fit.
std::size_t SaturatingSum(std::size_t a, std::size_t b) { return a > SIZE_MAX - b ? SIZE_MAX : a + b; }

}  // namespace

ListSize ListFile_MeasureUnits(const wchar_t* path) {
  return RunGuarded(
      [&] {
        LineReader reader(path);
        if (!reader.IsOpen()) return kNoRecords;
        ListSize size = kNoRecords;
        while (size.records < INT32_MAX && reader.Next() && !reader.IsEmpty()) {
          ++size.records;
          const std::size_t bytes = reader.ByteCount();
          size.characters = SaturatingSum(size.characters, (bytes < kMaxNameCharacters ? bytes : kMaxNameCharacters) + 1);
        }
        return size;
      },
      kNoRecords);
}

int32_t ListFile_CountUnits(const wchar_t* path) { return ListFile_MeasureUnits(path).records; }

int32_t ListFile_CountClusters(const wchar_t* path) {
  return RunGuarded(
      [&] {
        LineReader reader(path);
        if (!reader.IsOpen()) return 0;
        int32_t count = 0;
        wchar_t line[kLineCapacity];
        while (count < INT32_MAX && reader.NextConverted(line) && ListFile_FieldCount(line) >= kClusterFields)
          ++count;
        return count;
      },
      0);
}

}  // namespace quorbel
