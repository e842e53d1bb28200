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

// The list separator in effect: --separator while a command that has it runs
// (SeparatorOfCommand), else the library's, LibrarySeparator().
char SeparatorInEffect();

// The separator the library itself splits at: its rule applied to the
// user's locale (';' under a Spanish one, ',' otherwise), or the one a host
// chose. The library holds it process-wide; --separator never changes it.
char LibrarySeparator();

// For a host that sets the list separator itself (the browser page): ';' or
// ','. It then holds for the checks and, in a build that links the library,
// for the library too.
void ChooseSeparatorInEffect(char separator);

// While alive, the lists of the command running on this thread use
// --separator when the command has it and it is given. Execute holds one
// around every command.
class SeparatorOfCommand {
 public:
  explicit SeparatorOfCommand(const Args& args);
  ~SeparatorOfCommand();
  SeparatorOfCommand(const SeparatorOfCommand&) = delete;
  SeparatorOfCommand& operator=(const SeparatorOfCommand&) = delete;

 private:
  char previous_;
};

// The --separator option every list command takes.
extern const Option kSeparatorOption;

// A list for the library to read. When the separator in effect is the
// library's, the file itself; otherwise a scratch copy, line for line (so
// the library's line numbers stay the list's), with the library's separator
// in place of the one in effect, removed with this object. A line that holds
// the library's separator as text cannot be handed over: an error of
// `argument` at that line. A file that cannot be opened is passed as it is,
// for the library to report.
class LibraryList {
 public:
  LibraryList(const char* argument, const std::string& path);
  ~LibraryList();
  LibraryList(const LibraryList&) = delete;
  LibraryList& operator=(const LibraryList&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool scratch_ = false;
};

// Adds the warnings about `path` to the answer; `numericFields` is the
// number of fields after the name that must be integers (1 sized list, 2
// cluster list).
void WarnAboutList(const std::string& path, int numericFields);

// The fields of a line split at `separator`.
std::vector<std::string> SplitFields(const std::string& line, char separator);

// The seed of a selection: --seed, or a fresh one from the system.
long long SeedOfSelection(const Args& args);

// What a message about a list says of its separator, unless its detail
// names it already: " (list separator ';')".
std::string SeparatorNote(const std::string& detail);

// The error of a file the command reads itself, at a line and field:
// "LIST rejected: herds.txt, line 3, field 2: <detail> (list separator ',')
// (result code ...)".
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
