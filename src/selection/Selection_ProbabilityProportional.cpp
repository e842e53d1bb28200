// Selection_ProbabilityProportional and Selection_ProbabilityProportional_A:
// systematic selection with probability proportional to size over the
// running total of a sized unit list. See quorbel.h.
//
//   step  = total / n (integer),  start = trunc(rand() / 32768 * step) + 1
//   points start, start + step, ... up to the total; unit i owns the stretch
//   (cumulative(i - 1), cumulative(i)] and is selected once per point in it.
//
// A unit larger than the step can be hit several times; a unit of size 0 or
// less never. The number of points is not capped at n.
#include <cstdint>

#include "library/exception_guard.h"
#include "library/narrow_path.h"
#include "library/rules.h"
#include "library/working_array.h"
#include "listfiles/list_file.h"

using namespace quorbel;

namespace {

// Walks the points over the frame, counting hits in timesSelected; returns
// the number of units hit at least once. The point runs in 64 bits so that
// stepping past the 32-bit total cannot overflow.
int32_t MarkHits(SizedUnit* units, int32_t count, int32_t step, int32_t start, int n) {
  int64_t point = start;
  int32_t distinct = 0;
  for (int32_t i = 0; i < count; ++i) {
    const int64_t low = i == 0 ? 0 : units[i - 1].cumulativeSize;
    const int64_t high = units[i].cumulativeSize;
    if (!(point > low && point <= high)) continue;
    ++units[i].timesSelected;
    ++distinct;
    point += step;
    for (int extra = 0; extra < n && point <= high; ++extra) {
      ++units[i].timesSelected;
      point += step;
    }
  }
  return distinct;
}

ResultCode Select(int n, const wchar_t* listFile, const wchar_t* resultFile, int32_t* faultLine) {
  const ListSize list = ListFile_MeasureUnits(listFile);
  const int32_t count = list.records;
  if (count == 0) return QUORBEL_E_LIST_EMPTY;
  if (n > count) return QUORBEL_E_TOO_MANY;
  NameTable names(list);
  if (!names.IsAllocated()) return QUORBEL_E_NO_MEMORY;
  WorkingArray<SizedUnit> frame(static_cast<std::size_t>(count));
  if (!frame.IsAllocated()) return QUORBEL_E_NO_MEMORY;
  const ListReadError read = ListFile_ReadSizedUnits(names, frame.data(), listFile, count);
  if (read.code != QUORBEL_OK) {
    *faultLine = read.line;
    return static_cast<ResultCode>(read.code);
  }

  const int32_t step = frame[count - 1].cumulativeSize / n;
  const int r = platform::Current().random();
  const int32_t start = TruncatedSize(r * (1.0 / (platform::kRandomMax + 1.0)) * step) + 1;
  const int32_t distinct = MarkHits(frame.data(), count, step, start, n);

  // The result: the selected records, in list order.
  WorkingArray<int32_t> selected(static_cast<std::size_t>(distinct));
  if (!selected.IsAllocated()) return QUORBEL_E_NO_MEMORY;
  for (int32_t i = 0, j = 0; i < count; ++i)
    if (frame[i].timesSelected > 0) selected[j++] = i;
  if (ResultFile_WriteSizedUnits(names, frame.data(), selected.data(), resultFile, distinct) != 0)
    return QUORBEL_E_RESULT_FILE;
  return QUORBEL_OK;
}

}  // namespace

extern "C" QuorbelResult QUORBEL_CALL Selection_ProbabilityProportional(
    int n, const wchar_t* listFile, const wchar_t* resultFile, int32_t* faultLine) {
  // The order of these checks is part of the contract.
  if (n < 1) return QUORBEL_E_PPS_COUNT;
  if (!platform::Current().fileExists(listFile)) {
    platform::Current().showMessage(listFile, L"ERROR");
    return QUORBEL_E_LIST_MISSING;
  }
  return RunGuarded([&] { return Select(n, listFile, resultFile, faultLine); });
}

extern "C" QuorbelResult QUORBEL_CALL Selection_ProbabilityProportional_A(
    int n, const char* listFile, const char* resultFile, int32_t* faultLine) {
  const WidePath list = WidenPath(listFile);
  const WidePath result = WidenPath(resultFile);
  return Selection_ProbabilityProportional(n, list.text, result.text, faultLine);
}
