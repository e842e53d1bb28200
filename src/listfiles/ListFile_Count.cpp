// ListFile_CountUnits and ListFile_CountClusters: where a list ends. See
// list_file.h. Any exception while counting counts no records.
#include <string>

#include "listfiles/line_reader.h"
#include "listfiles/list_file.h"

namespace quorbel {
namespace {

constexpr int kClusterFields = 3;

template <class Count>
int32_t CountGuarded(Count count) noexcept {
  try {
    return count();
  } catch (...) {
    return 0;
  }
}

}  // namespace

int32_t ListFile_CountUnits(const wchar_t* path) {
  return CountGuarded([&] {
    LineReader reader(path);
    if (!reader.IsOpen()) return 0;
    int32_t count = 0;
    std::string line;
    while (count < INT32_MAX && reader.Next(&line) && !line.empty()) ++count;
    return count;
  });
}

int32_t ListFile_CountClusters(const wchar_t* path) {
  return CountGuarded([&] {
    LineReader reader(path);
    if (!reader.IsOpen()) return 0;
    int32_t count = 0;
    wchar_t line[kLineCapacity];
    while (count < INT32_MAX && reader.NextConverted(line) && ListFile_FieldCount(line) >= kClusterFields) ++count;
    return count;
  });
}

}  // namespace quorbel
