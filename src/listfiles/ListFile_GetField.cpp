// ListFile_GetField, the field count and integer fields. See list_file.h.
//
// Fields are the runs of characters other than the separator, so adjacent,
// leading and trailing separators make no empty fields; the count, though,
// counts every separator but one that opens the line ("A;;B" counts 3 with
// two fields), which is how a sized list line "Farm,,12" is refused.
#include <cwchar>

#include "library/list_separator.h"
#include "listfiles/list_file.h"

namespace quorbel {

int ListFile_FieldCount(const wchar_t* line) {
  const wchar_t separator = ListSeparator()[0];
  int count = 1;
  for (const wchar_t* c = line; *c != L'\0'; ++c)
    if (*c == separator && c != line) ++count;
  return count;
}

bool ListFile_GetField(const wchar_t* line, int k, wchar_t* out) {
  const wchar_t separator = ListSeparator()[0];
  const wchar_t* c = line;
  for (int field = 1;; ++field) {
    while (*c == separator) ++c;
    if (*c == L'\0') return false;
    const wchar_t* start = c;
    while (*c != L'\0' && *c != separator) ++c;
    if (field == k) {
      const std::size_t length = static_cast<std::size_t>(c - start);
      std::wmemcpy(out, start, length);
      out[length] = L'\0';
      return true;
    }
  }
}

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

}  // namespace

bool ListFile_FieldIsWhole(const wchar_t* field) {
  while (IsSpace(*field)) ++field;
  if (*field == L'-' || *field == L'+') ++field;
  const wchar_t* digits = field;
  while (*field >= L'0' && *field <= L'9') ++field;
  if (field == digits) return false;
  while (IsSpace(*field)) ++field;
  return *field == L'\0';
}

int32_t ListFile_FieldToInt(const wchar_t* field) {
  while (IsSpace(*field)) ++field;
  const bool negative = *field == L'-';
  if (*field == L'-' || *field == L'+') ++field;
  int64_t value = 0;
  for (; *field >= L'0' && *field <= L'9'; ++field) {
    value = value * 10 + (*field - L'0');
    if (value > -int64_t{INT32_MIN}) value = -int64_t{INT32_MIN};  // saturated; more digits change nothing
  }
  if (negative) return static_cast<int32_t>(-value);
  return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

}  // namespace quorbel
