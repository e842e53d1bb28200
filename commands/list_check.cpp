// See list_check.h.
#include "list_check.h"

#include "paths.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quorbel::commands {
namespace {

// The fields of a line as the library splits it: runs between separators.
std::vector<std::string> Fields(const std::string& line, char separator) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (start <= line.size()) {
    const size_t end = line.find(separator, start);
    const std::string field = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!field.empty()) fields.push_back(field);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return fields;
}

// Whether the library's integer reading (white space, sign, digits) takes
// all of the field: otherwise the rest is dropped, and no digits read as 0.
bool IsWholeNumber(const std::string& field) {
  size_t i = field.find_first_not_of(" \t");
  if (i == std::string::npos) return false;
  if (field[i] == '+' || field[i] == '-') ++i;
  const size_t digits = field.find_first_not_of("0123456789", i);
  return digits != i && (digits == std::string::npos || field.find_first_not_of(" \t\r", digits) == std::string::npos);
}

// Set by a host that chooses the separator itself; 0 while it follows the locale.
char g_chosenSeparator = 0;

}  // namespace

void ChooseSeparatorInEffect(char separator) { g_chosenSeparator = separator; }

char SeparatorInEffect() {
  if (g_chosenSeparator != 0) return g_chosenSeparator;
#ifdef _WIN32
  constexpr LCID kSpanish = 10;  // primary language of a Spanish locale
  return (GetUserDefaultLCID() & 0x3FF) == kSpanish ? ';' : ',';
#else
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return std::strncmp(value, "es", 2) == 0 ? ';' : ',';
  }
  return ',';
#endif
}

void WarnAboutList(const std::string& path, int numericFields) {
  std::ifstream in(FilePath(path), std::ios::binary);
  const char separator = SeparatorInEffect(), other = separator == ',' ? ';' : ',';
  std::string line;
  int number = 0, badFields = 0, afterBlank = 0, blankAt = 0;
  bool sawSeparator = false, sawOther = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (blankAt != 0) {
      if (!line.empty()) ++afterBlank;
      continue;
    }
    if (line.empty()) {
      blankAt = number;
      continue;
    }
    sawSeparator |= line.find(separator) != std::string::npos;
    sawOther |= line.find(other) != std::string::npos;
    const std::vector<std::string> fields = Fields(line, separator);
    bool numeric = true;
    for (int k = 1; k <= numericFields && k < static_cast<int>(fields.size()); ++k)
      numeric &= IsWholeNumber(fields[static_cast<size_t>(k)]);
    if (numeric || static_cast<int>(fields.size()) <= numericFields) continue;
    if (number == 1) {
      Warn("header-line", path + ", line 1 looks like a header ('" + line + "'); it is read as a unit, its numbers as 0",
           1);
    } else if (++badFields <= 3) {
      Warn("not-a-whole-number", path + ", line " + std::to_string(number) + " ('" + line +
                                     "'): a number field is not a whole number; the library reads what digits it "
                                     "begins with, or 0",
           number);
    }
  }
  if (blankAt != 0 && afterBlank > 0)
    Warn("lines-after-blank", path + ": the list ends at its blank line " + std::to_string(blankAt) + "; " +
                                  std::to_string(afterBlank) + (afterBlank == 1 ? " line after it is" : " lines after it are") +
                                  " not read",
         blankAt);
  if (!sawSeparator && sawOther)
    Warn("other-separator", path + " uses '" + other + "' but the list separator in effect is '" + separator + "' (" +
                                (g_chosenSeparator != 0 ? "the one chosen for this list"
                                                        : "it follows the user's locale: ';' for Spanish, ',' otherwise") +
                                ")");
}

}  // namespace quorbel::commands
