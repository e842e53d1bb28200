// Warnings about a list file that the library reads without complaint but a
// person would want to know of: a header line read as data, numeric fields
// that are not numbers (read as 0), lines after a blank line that are never
// read, and a separator other than the one in effect.
#ifndef QUORBEL_COMMANDS_LIST_CHECK_H
#define QUORBEL_COMMANDS_LIST_CHECK_H

#include <string>
#include <vector>

#include "command.h"

namespace quorbel::commands {

// The list separator in effect: the library's rule applied to the user's
// locale (';' under a Spanish one, ',' otherwise), or the one a host chose.
char SeparatorInEffect();

// For a host that sets the list separator itself (the browser page): ';' or
// ','. It then holds for the checks and, in a build that links the library,
// for the library too.
void ChooseSeparatorInEffect(char separator);

// Adds the warnings about `path` to the answer; `numericFields` is the
// number of fields after the name that must be integers (1 sized list, 2
// cluster list).
void WarnAboutList(const std::string& path, int numericFields);

// The fields of a line split at `separator`.
std::vector<std::string> SplitFields(const std::string& line, char separator);

// The seed of a selection: --seed, or a fresh one from the system.
long long SeedOfSelection(const Args& args);

// The error of a file the command reads itself, at a line and field:
// "LIST rejected: herds.txt, line 3, field 2: <detail> (result code ...)".
CommandError FaultAt(const char* argument, const std::string& file, int line, int field, const std::string& detail,
                     QuorbelResult code, const char* allowed);

// Writes a result file the command makes itself (lines end in CR LF, as
// the library's own result files); a file that cannot be written is removed
// and refused as OUT.
void WriteResultFile(const std::string& out, const std::string& text);

// Refuses an output that is the list itself, and an existing output unless
// --force is given.
void GuardOutput(const Args& args, const std::string& list, const std::string& out);

}  // namespace quorbel::commands

#endif
