// ListFile_ReadUnits, ListFile_ReadSizedUnits and ListFile_ReadClusters: fill
// the caller's records from the top of a list file. See list_file.h.
//
// Every reader starts from {0, -1, -1}, stops at the first fault with its
// line and field, and stops quietly at the end of the file. Records before a
// fault are filled; no exception leaves a reader.
#include <cwchar>

#include "listfiles/line_reader.h"
#include "listfiles/list_file.h"

namespace quorbel {
namespace {

constexpr ListReadError kReadOk = {QUORBEL_OK, -1, -1};

ListReadError Fault(ResultCode code, int32_t line, int32_t field) {
  return {static_cast<int32_t>(code), line, field};
}

// Opens the list and hands each converted line (1-based number, text) to
// `take`, which returns kReadOk to go on or a fault to stop.
template <class Take>
ListReadError ReadLines(const wchar_t* path, int32_t count, Take take) noexcept {
  try {
    LineReader reader(path);
    if (!reader.IsOpen()) return kReadOk;  // counted as empty before; nothing to read
    wchar_t line[kLineCapacity];
    for (int32_t i = 1; i <= count && reader.NextConverted(line); ++i) {
      const ListReadError outcome = take(i, line);
      if (outcome.code != QUORBEL_OK) return outcome;
    }
    return kReadOk;
  } catch (...) {
    return Fault(QUORBEL_E_GENERAL, -1, -1);
  }
}

}  // namespace

ListReadError ListFile_ReadUnits(UnitNameSlot* units, const wchar_t* path, int32_t count) {
  return ReadLines(path, count, [&](int32_t i, const wchar_t* line) {
    if (line[0] == L'\0') return Fault(QUORBEL_E_LIST_LINE, i, 1);
    std::wcscpy(units[i - 1].name, line);  // the separator plays no part here
    return kReadOk;
  });
}

ListReadError ListFile_ReadSizedUnits(SizedUnit* units, const wchar_t* path, int32_t count) {
  int64_t total = 0;
  return ReadLines(path, count, [&](int32_t i, const wchar_t* line) {
    if (ListFile_FieldCount(line) != 2) return Fault(QUORBEL_E_SIZED_LINE, i, -1);
    SizedUnit& unit = units[i - 1];
    if (!ListFile_GetField(line, 1, unit.name)) return Fault(QUORBEL_E_SIZED_LINE, i, 1);
    wchar_t size[kLineCapacity];
    if (!ListFile_GetField(line, 2, size)) return Fault(QUORBEL_E_SIZED_LINE, i, 2);
    unit.size = ListFile_FieldToInt(size);
    total += unit.size;
    if (total > INT32_MAX || total < INT32_MIN) return Fault(QUORBEL_E_SIZED_LINE, i, 2);
    unit.cumulativeSize = static_cast<int32_t>(total);
    unit.timesSelected = 0;
    return kReadOk;
  });
}

ListReadError ListFile_ReadClusters(ClusterEntry* clusters, const wchar_t* path, int32_t count) {
  return ReadLines(path, count, [&](int32_t i, const wchar_t* line) {
    ClusterEntry& cluster = clusters[i - 1];
    wchar_t number[kLineCapacity];
    if (!ListFile_GetField(line, 1, cluster.name)) return Fault(QUORBEL_E_CLUSTER_FIELD, i, 1);
    if (!ListFile_GetField(line, 2, number)) return Fault(QUORBEL_E_CLUSTER_FIELD, i, 2);
    cluster.firstCount = ListFile_FieldToInt(number);
    if (!ListFile_GetField(line, 3, number)) return Fault(QUORBEL_E_CLUSTER_FIELD, i, 3);
    cluster.secondCount = ListFile_FieldToInt(number);
    return kReadOk;
  });
}

}  // namespace quorbel
