// The table of every command, and the text of result codes.
#include <cstdio>

#include "command.h"

namespace quorbel::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = [] {
    std::vector<Command> all;
    AddPrevalenceCommands(all);
    return all;
  }();
  return commands;
}

std::string CodeText(QuorbelResult code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

}  // namespace quorbel::cli
