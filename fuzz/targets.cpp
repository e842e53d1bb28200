// See targets.h.
#include "targets.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "library/list_separator.h"
#include "listfiles/list_file.h"
#include "platform/platform.h"
#include "quorbel.h"

namespace quorbel::fuzz {
namespace {

// A list file served from memory: opens and closes are counted, reads hand
// out the bytes in small pieces so that lines straddle reads.
struct MemoryFile {
  const uint8_t* data = nullptr;
  std::size_t size = 0, position = 0;
  int open = 0;
};
MemoryFile g_file;

void Check(bool condition) {
  if (!condition) std::abort();
}

void Serve(const uint8_t* data, std::size_t size) {
  ChooseListSeparator(size > 0 && (data[0] & 1) ? 10 : 9);
  g_file = MemoryFile{data, size, 0, 0};
  platform::Calls& calls = platform::Current();
  calls.openForReading = [](const wchar_t*) -> void* {
    ++g_file.open;
    g_file.position = 0;
    return &g_file;
  };
  calls.readBytes = [](void*, char* buffer, unsigned long capacity) -> long {
    std::size_t piece = g_file.size - g_file.position;
    if (piece > 7 && capacity > 7) piece = 7;
    if (piece > capacity) piece = capacity;
    std::memcpy(buffer, g_file.data + g_file.position, piece);
    g_file.position += piece;
    return static_cast<long>(piece);
  };
  calls.closeReading = [](void*) { --g_file.open; };
}

void Done() {
  Check(g_file.open == 0);
  platform::Current() = platform::Defaults();
}

bool IsReadCode(int32_t code, std::initializer_list<QuorbelResult> allowed) {
  for (QuorbelResult c : allowed)
    if (code == static_cast<int32_t>(c)) return true;
  return false;
}

}  // namespace

int FuzzUnits(const uint8_t* data, std::size_t size) {
  Serve(data, size);
  const ListSize list = ListFile_MeasureUnits(L"memory");
  Check(list.records >= 0);
  NameTable names(list);
  Check(names.IsAllocated());
  const ListReadError e = ListFile_ReadUnits(names, L"memory", list.records);
  Check(IsReadCode(e.code, {QUORBEL_OK, QUORBEL_E_LIST_LINE}));
  if (e.code == 0)
    for (int32_t i = 0; i < list.records; ++i) Check(names[i][0] != L'\0' && std::wcslen(names[i]) <= 254);
  Done();
  return 0;
}

int FuzzSizedUnits(const uint8_t* data, std::size_t size) {
  Serve(data, size);
  const ListSize list = ListFile_MeasureUnits(L"memory");
  const int32_t count = list.records;
  NameTable names(list);
  std::vector<SizedUnit> units(static_cast<std::size_t>(count));
  const ListReadError e = ListFile_ReadSizedUnits(names, units.data(), L"memory", count);
  Check(IsReadCode(e.code, {QUORBEL_OK, QUORBEL_E_SIZED_LINE}));
  Check(e.code == 0 || (e.line >= 1 && e.line <= count));
  Done();
  return 0;
}

int FuzzClusters(const uint8_t* data, std::size_t size) {
  Serve(data, size);
  TwoStageIntervalResult result;
  int32_t line = -7, field = -7;
  const QuorbelResult code = ConfidenceInterval_TwoStages(95, L"memory", &line, &field, &result);
  Check(code == QUORBEL_OK || code == QUORBEL_E_CLUSTER_FILE || code == QUORBEL_E_CLUSTER_FIELD ||
        code == QUORBEL_E_CLUSTER_NO_ANIMALS || code == QUORBEL_E_CLUSTER_POSITIVES);
  Check(line == -7 || line >= 1);
  Check(field == -7 || (field >= 1 && field <= 3));
  Done();
  return 0;
}

int FuzzFields(const uint8_t* data, std::size_t size) {
  ChooseListSeparator(size > 0 && (data[0] & 1) ? 10 : 9);
  wchar_t line[kLineCapacity];
  std::size_t length = 0;
  for (std::size_t i = 1; i < size && length < kLineCapacity - 1; ++i)
    if (data[i] != 0) line[length++] = static_cast<wchar_t>(data[i]);
  line[length] = L'\0';
  const int count = ListFile_FieldCount(line);
  Check(count >= 1 && count <= static_cast<int>(length) + 1);
  wchar_t field[kLineCapacity];
  for (int k = 1; k <= count + 1; ++k) {
    if (!ListFile_GetField(line, k, field)) continue;
    Check(field[0] != L'\0' && std::wcslen(field) <= length);
    ListFile_FieldToInt(field);
  }
  return 0;
}

}  // namespace quorbel::fuzz
