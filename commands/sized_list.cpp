// See sized_list.h.
#include "sized_list.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>

#include "list_check.h"
#include "paths.h"

namespace quorbel::commands {
namespace {

CommandError FaultyLine(const std::string& list, const SizedListRules& rules, int line, int field,
                        const std::string& detail) {
  return FaultAt("LIST", list, line, field, detail, rules.code, rules.allowed);
}

// A size as written: a whole number from `least` to 2147483647.
bool ReadSize(const std::string& text, long long least, double* size) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno != 0 || value < least || value > INT32_MAX) return false;
  *size = static_cast<double>(value);
  return true;
}

}  // namespace

std::vector<SizedUnit> ReadSizedList(const std::string& path, const SizedListRules& rules, bool readSizes) {
  std::ifstream in(FilePath(path), std::ios::binary);
  if (!in) throw Rejection("LIST", "an existing file", QUORBEL_E_LIST_MISSING);
  const char separator = SeparatorInEffect();
  std::vector<SizedUnit> units;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) break;
    const size_t cut = line.find(separator);
    SizedUnit unit{line.substr(0, cut), HUGE_VAL};
    if (unit.name.empty()) throw FaultyLine(path, rules, number, 1, std::string("the ") + rules.unit + " has no name");
    const std::string size = cut == std::string::npos ? std::string() : line.substr(cut + 1);
    if (readSizes && !ReadSize(size, rules.least, &unit.size))
      throw FaultyLine(path, rules, number, 2,
                       "the size must be a whole number from " + std::to_string(rules.least) + " to 2147483647 after '" +
                           std::string(1, separator) + "', the list separator in effect" + rules.hint);
    units.push_back(unit);
  }
  if (units.empty())
    throw Rejection("LIST", (std::string("a list with a ") + rules.unit + " on its first line").c_str(), rules.code);
  return units;
}

}  // namespace quorbel::commands
