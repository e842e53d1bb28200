// Warnings about a list file that the library reads without complaint but a
// person would want to know of: a header line read as data, numeric fields
// that are not numbers (read as 0), lines after a blank line that are never
// read, and a separator other than the one in effect.
#ifndef QUORBEL_COMMANDS_LIST_CHECK_H
#define QUORBEL_COMMANDS_LIST_CHECK_H

#include <string>

#include "command.h"

namespace quorbel::commands {

// The list separator the library takes from the user's locale: ';' under a
// Spanish one, ',' otherwise.
char SeparatorInEffect();

// For a host that sets the library's separator itself (the browser page):
// the separator the checks then assume; 0 returns to the locale's.
void ChooseSeparatorInEffect(char separator);

// Adds the warnings about `path` to the answer; `numericFields` is the
// number of fields after the name that must be integers (1 sized list, 2
// cluster list).
void WarnAboutList(const std::string& path, int numericFields);

}  // namespace quorbel::commands

#endif
