// Selection_SimpleRandom and Selection_SimpleRandom_A: n distinct units of a
// unit list chosen by shuffling the whole list, written in shuffled order.
// See quorbel.h.
//
// The result file is created only once every check has passed; working
// arrays are released and files closed on every path.
#include <cwchar>
#include <numeric>
#include <vector>

#include "frame/exception_guard.h"
#include "frame/narrow_path.h"
#include "frame/working_array.h"
#include "listfiles/list_file.h"
#include "selection/shuffle.h"

using namespace quorbel;

namespace {

ResultCode Select(int n, const wchar_t* listFile, const wchar_t* resultFile, int32_t* faultLine) {
  if (!platform::Current().fileExists(listFile)) return QUORBEL_E_LIST_MISSING;
  const int32_t count = ListFile_CountUnits(listFile);
  if (count == 0) return QUORBEL_E_LIST_EMPTY;
  WorkingArray<UnitNameSlot> names(static_cast<std::size_t>(count));
  if (!names.IsAllocated()) return QUORBEL_E_NO_MEMORY;
  WorkingArray<UnitNameSlot> chosen(static_cast<std::size_t>(n));
  if (!chosen.IsAllocated()) return QUORBEL_E_NO_MEMORY;
  const ListReadError read = ListFile_ReadUnits(names.data(), listFile, count);
  if (read.code != QUORBEL_OK) {
    *faultLine = read.line;
    return static_cast<ResultCode>(read.code);
  }

  std::vector<int32_t> order(static_cast<std::size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  ShuffleIndices(order);
  const int32_t taken = n < count ? n : count;
  for (int32_t i = 0; i < taken; ++i) std::wcscpy(chosen[i].name, names[order[i]].name);
  if (ResultFile_WriteUnits(chosen.data(), resultFile, taken) != 0) return QUORBEL_E_RESULT_FILE;
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
