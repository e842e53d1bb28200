// The quorbel program's parts beside main: help printing, the worked
// example of a command's help, and the Windows registration commands.
#ifndef QUORBEL_CLI_PROGRAM_H
#define QUORBEL_CLI_PROGRAM_H

#include "command.h"

namespace quorbel::cli {

// quorbel --help: the commands grouped by question.
void PrintOverview();

// quorbel FAMILY COMMAND --help: the question, usage, options with their
// defaults, notes, and the worked example run on the spot.
void PrintCommandHelp(const commands::Command& command);

// Runs a command's worked example and prints what it prints; a list example
// runs on a scratch copy of its lines, shown with the files it writes.
void RunExample(const commands::Command& command);

// quorbel register | unregister: enters the library in the Windows class
// registry, or removes it. Returns the exit status.
int RunRegistration(bool enter);

}  // namespace quorbel::cli

#endif
