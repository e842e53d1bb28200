// Lists of named units with sizes (name,size a line) that the commands read
// themselves, beside the library's own list reading: herd lists and the
// units of a selection with inclusion probabilities.
#ifndef QUORBEL_COMMANDS_SIZED_LIST_H
#define QUORBEL_COMMANDS_SIZED_LIST_H

#include <string>
#include <vector>

#include "command.h"

namespace quorbel::commands {

struct SizedUnit {
  std::string name;
  double size;  // infinity when the sizes are not read
};

// How a list is read and refused: the result code and what LIST must be,
// the smallest size allowed, and a hint for a size that is not one.
struct SizedListRules {
  QuorbelResult code;
  const char* allowed;  // "a list of name,animals lines, animals a whole number >= 1"
  long long least;      // 0 or 1
  const char* unit;     // "herd", "unit"
  const char* hint;     // appended to the message of a faulty size ("" for none)
};

// The units of `path` up to its first blank line, split at the list
// separator in effect; with readSizes false only the names are read. A
// faulty line is refused (status 1) with its line and field.
std::vector<SizedUnit> ReadSizedList(const std::string& path, const SizedListRules& rules, bool readSizes = true);

}  // namespace quorbel::commands

#endif
