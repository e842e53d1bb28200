// ListFile_ReadUnits, ListFile_ReadSizedUnits and ListFile_ReadClusters: fill
// the caller's records from the top of a list file. See list_file.h.
//
// Every reader starts from {0, -1, -1}, stops at the first fault with its
// line and field, and stops quietly after the counted lines. Records before a
// fault are filled; no exception leaves a reader. The file must still be the
// one that was counted: it opens, holds every counted line, and ends where
// the count ended; otherwise the read fails as a whole, since the caller
// would otherwise work on records that were never filled.
#include <cwchar>

#include "listfiles/line_reader.h"
#include "listfiles/list_file.h"

namespace quorbel {
namespace {

constexpr ListReadError kReadOk = {QUORBEL_OK, -1, -1};
constexpr ListReadError kReadFailed = {static_cast<int32_t>(QUORBEL_E_GENERAL), -1, -1};

ListReadError Fault(ResultCode code, int32_t line, int32_t field) {
  return {static_cast<int32_t>(code), line, field};
}

// Opens the list and hands each of `count` lines (1-based number, reader) to
// `take`, which returns kReadOk to go on or a fault to stop. `endsList` tells
// whether the line after the last counted one is where counting stopped.
template <class Take, class EndsList>
ListReadError ReadLines(const wchar_t* path, int32_t count, Take take, EndsList endsList) noexcept {
  try {
    LineReader reader(path);
    if (!reader.IsOpen()) return kReadFailed;
    for (int32_t i = 1; i <= count; ++i) {
      if (!reader.Next()) return kReadFailed;  // fewer lines than counted
      const ListReadError outcome = take(i, reader);
      if (outcome.code != QUORBEL_OK) return outcome;
    }
    // Counting stops at INT32_MAX records whatever follows.
    if (count < INT32_MAX && reader.Next() && !endsList(reader)) return kReadFailed;
    return kReadOk;
  } catch (...) {
    return kReadFailed;
  }
}

bool EndsUnitList(const LineReader& reader) { return reader.IsEmpty(); }

bool EndsClusterList(const LineReader& reader) {
  wchar_t line[kLineCapacity];
  reader.Convert(line);
  return ListFile_FieldCount(line) < 3;
}

bool IsBlankName(const wchar_t* name) {
  std::size_t length = std::wcslen(name);
  while (length > 0 && name[length - 1] == L' ') --length;
  return length == 0;
}

}  // namespace

ListReadError ListFile_ReadUnits(NameTable& names, const wchar_t* path, int32_t count) {
  return ReadLines(
      path, count,
      [&](int32_t i, const LineReader& reader) {
        wchar_t line[kLineCapacity];
        const std::size_t length = reader.Convert(line);
        if (length == 0) return Fault(QUORBEL_E_LIST_LINE, i, 1);
        return names.Add(line, length) ? kReadOk : kReadFailed;  // the separator plays no part here
      },
      EndsUnitList);
}

ListReadError ListFile_ReadSizedUnits(NameTable& names, SizedUnit* units, const wchar_t* path, int32_t count) {
  int64_t total = 0;
  return ReadLines(
      path, count,
      [&](int32_t i, const LineReader& reader) {
        wchar_t line[kLineCapacity], field[kLineCapacity];
        reader.Convert(line);
        if (ListFile_FieldCount(line) != 2) return Fault(QUORBEL_E_SIZED_LINE, i, -1);
        if (!ListFile_GetField(line, 1, field)) return Fault(QUORBEL_E_SIZED_LINE, i, 1);
        if (!names.Add(field, std::wcslen(field))) return kReadFailed;
        if (!ListFile_GetField(line, 2, field)) return Fault(QUORBEL_E_SIZED_LINE, i, 2);
        SizedUnit& unit = units[i - 1];
        unit.size = ListFile_FieldToInt(field);
        total += unit.size;
        if (total > INT32_MAX || total < INT32_MIN) return Fault(QUORBEL_E_SIZED_LINE, i, 2);
        unit.cumulativeSize = static_cast<int32_t>(total);
        unit.timesSelected = 0;
        return kReadOk;
      },
      EndsUnitList);
}

ListReadError ListFile_ReadClusters(ClusterEntry* clusters, const wchar_t* path, int32_t count) {
  return ReadLines(
      path, count,
      [&](int32_t i, const LineReader& reader) {
        wchar_t line[kLineCapacity], field[kLineCapacity];
        reader.Convert(line);
        ClusterEntry& cluster = clusters[i - 1];
        if (!ListFile_GetField(line, 1, field)) return Fault(QUORBEL_E_CLUSTER_FIELD, i, 1);
        cluster.blankName = IsBlankName(field);
        if (!ListFile_GetField(line, 2, field)) return Fault(QUORBEL_E_CLUSTER_FIELD, i, 2);
        cluster.firstCount = ListFile_FieldToInt(field);
        if (!ListFile_GetField(line, 3, field)) return Fault(QUORBEL_E_CLUSTER_FIELD, i, 3);
        cluster.secondCount = ListFile_FieldToInt(field);
        return kReadOk;
      },
      EndsClusterList);
}

}  // namespace quorbel
