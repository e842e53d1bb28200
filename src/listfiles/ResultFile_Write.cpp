// ResultFile_WriteUnits and ResultFile_WriteSizedUnits: the selections'
// result files. See list_file.h.
//
// Each line is assembled in a fixed buffer and written with one call, so a
// line is never split between two writes: "name" CR LF, or "name,count" CR LF
// with a fixed comma whatever the list separator.
#include <cstdio>
#include <cstring>

#include "listfiles/list_file.h"
#include "platform/platform.h"

namespace quorbel {
namespace {

constexpr int kNameBytes = 252;
constexpr int kMaxCharacterBytes = 16;  // MB_LEN_MAX of every runtime we build for
// A line: the name, then at most "," with ten digits and CR LF.
constexpr int kResultLineBytes = kNameBytes + 16;

// Appends `name` in the current locale, at most 252 bytes, whole characters
// only; a character with no bytes there becomes '?'. Returns the bytes used.
int AppendName(const wchar_t* name, char* out) {
  int used = 0;
  char bytes[kMaxCharacterBytes];
  for (; *name != L'\0'; ++name) {
    int length = platform::Current().wideToMultibyte(*name, bytes);
    if (length < 0) {
      bytes[0] = '?';
      length = 1;
    }
    if (used + length > kNameBytes) break;
    std::memcpy(out + used, bytes, static_cast<std::size_t>(length));
    used += length;
  }
  return used;
}

// Creates the file, writes each line `format` makes, and closes it.
template <class Format>
unsigned long WriteLines(const wchar_t* path, int32_t count, Format format) {
  unsigned long error = 0;
  void* file = platform::Current().createForWriting(path, &error);
  if (file == nullptr) return error != 0 ? error : 1;
  unsigned long outcome = 0;
  char line[kResultLineBytes];
  for (int32_t i = 0; i < count; ++i) {
    const int length = format(i, line);
    if (!platform::Current().writeBytes(file, line, static_cast<unsigned long>(length))) {
      outcome = 1;
      break;
    }
  }
  platform::Current().closeWriting(file);
  return outcome;
}

}  // namespace

unsigned long ResultFile_WriteUnits(const NameTable& names, const int32_t* chosen, const wchar_t* path,
                                    int32_t count) {
  return WriteLines(path, count, [&](int32_t i, char* line) {
    int length = AppendName(names[chosen[i]], line);
    line[length++] = '\r';
    line[length++] = '\n';
    return length;
  });
}

unsigned long ResultFile_WriteSizedUnits(const NameTable& names, const SizedUnit* units, const int32_t* selected,
                                         const wchar_t* path, int32_t count) {
  return WriteLines(path, count, [&](int32_t i, char* line) {
    const int32_t unit = selected[i];
    int length = AppendName(names[unit], line);
    length += std::snprintf(line + length, kResultLineBytes - length, ",%u\r\n",
                            static_cast<unsigned>(units[unit].timesSelected));
    return length;
  });
}

}  // namespace quorbel
