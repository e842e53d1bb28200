// Selection_SimpleRandom and Selection_SimpleRandom_A: n distinct units of a
// unit list chosen by shuffling the whole list, written in shuffled order.
// See quorbel.h.
//
// The result file is created only once every check has passed; working
// arrays are released and files closed on every path.
#include <numeric>

#include "library/exception_guard.h"
#include "library/narrow_path.h"
#include "library/working_array.h"
#include "listfiles/list_file.h"
#include "selection/shuffle.h"

using namespace quorbel;

namespace {

// The arrays are the names (a pool and its starts) and the index array,
// whose first min(n, count) entries, once shuffled, are the chosen units; so
// an n beyond the list costs no memory.
ResultCode Select(int n, const wchar_t* listFile, const wchar_t* resultFile, int32_t* faultLine) {
  if (!platform::Current().fileExists(listFile)) return QUORBEL_E_LIST_MISSING;
  const ListSize list = ListFile_MeasureUnits(listFile);
  const int32_t count = list.records;
  if (count == 0) return QUORBEL_E_LIST_EMPTY;
  NameTable names(list);
  if (!names.IsAllocated()) return QUORBEL_E_NO_MEMORY;
  WorkingArray<int32_t> order(static_cast<std::size_t>(count));
  if (!order.IsAllocated()) return QUORBEL_E_NO_MEMORY;
  const ListReadError read = ListFile_ReadUnits(names, listFile, count);
  if (read.code != QUORBEL_OK) {
    *faultLine = read.line;
    return static_cast<ResultCode>(read.code);
  }

  std::iota(order.data(), order.data() + count, 0);
  ShuffleIndices(order.data(), static_cast<uint32_t>(count));
  const int32_t taken = n < count ? n : count;
  if (ResultFile_WriteUnits(names, order.data(), resultFile, taken) != 0) return QUORBEL_E_RESULT_FILE;
  return QUORBEL_OK;
}

}  // namespace

extern "C" QuorbelResult QUORBEL_CALL Selection_SimpleRandom(
    int n, const wchar_t* listFile, const wchar_t* resultFile, int32_t* faultLine) {
  if (n < 1) return QUORBEL_E_SELECT_COUNT;
  return RunGuarded([&] { return Select(n, listFile, resultFile, faultLine); });
}

extern "C" QuorbelResult QUORBEL_CALL Selection_SimpleRandom_A(
    int n, const char* listFile, const char* resultFile, int32_t* faultLine) {
  const WidePath list = WidenPath(listFile);
  const WidePath result = WidenPath(resultFile);
  return Selection_SimpleRandom(n, list.text, result.text, faultLine);
}
