// The help the program prints: the overview of the commands by question,
// and one command's help with its worked example. See program.h.
#include <cstdio>
#include <cstring>
#include <string>

#include "guides.h"
#include "program.h"

namespace quorbel::cli {

using commands::Command;
using commands::CommandGuide;
using commands::Commands;
using commands::GuideOf;
using commands::Groups;
using commands::Option;

void PrintOverview() {
  std::printf("quorbel: sampling-survey statistics for animal populations\n\n"
              "usage: quorbel FAMILY COMMAND [FILES] [--option value ...] [--json | --csv]\n"
              "       quorbel FAMILY COMMAND --help     (what it answers, its options, a worked example)\n"
              "       quorbel --version\n"
              "       quorbel register | unregister   (Windows: enter or remove the library in the registry)\n");
  for (const char* group : Groups()) {
    std::printf("\n%s:\n", group);
    for (const Command& command : Commands()) {
      const CommandGuide* guide = GuideOf(command.family, command.name);
      if (guide != nullptr && std::strcmp(guide->group, group) == 0)
        std::printf("  %-40s %s\n", (std::string(command.family) + " " + command.name).c_str(), command.summary);
    }
  }
  std::printf("\n--json prints the results for programs, --csv as a table for a spreadsheet. Proportions may be\n"
              "written 0.95 or 95%%, levels 95, 95%% or 0.95, counts 100 or 100.0. Exit status: 0 success; 1 the\n"
              "library rejected an argument (the message names it and the result code); 2 a command line that\n"
              "cannot run; 3 the library cannot be loaded.\n");
}

// The words an option takes, for people and for the completion: " {a|b}"
// for a choice, " {infinite}" for a population, "" for any other.
std::string WordsOf(const Option& option) {
  if (option.kind == commands::OptionKind::kChoice) return std::string(" {") + option.choices + "}";
  if (option.kind == commands::OptionKind::kPopulation) return " {infinite}";
  return "";
}

void PrintCommandHelp(const Command& command) {
  const CommandGuide* guide = GuideOf(command.family, command.name);
  std::printf("quorbel %s %s: %s\n", command.family, command.name, command.summary);
  if (guide != nullptr) std::printf("%s\n", guide->question);
  std::printf("\nusage: quorbel %s %s", command.family, command.name);
  for (const char* positional : command.positionals) std::printf(" %s", positional);
  std::printf(" [options] [--json]\n\noptions:\n");
  for (const Option& option : command.options)
    std::printf("  %-16s %s%s%s\n", option.name, option.allowed,
                option.fallback != nullptr ? (std::string(" (default ") + option.fallback + ")").c_str()
                : option.optional          ? " (optional)"
                                           : "",
                WordsOf(option).c_str());
  std::printf("  %-16s %s\n", "--json", "print JSON for programs");
  std::printf("  %-16s %s\n", "--csv", "print a table with a header row for a spreadsheet");
  if (guide == nullptr) return;
  if (guide->notes[0] != '\0') std::printf("\nnotes: %s\n", guide->notes);
  if (guide->example.empty()) return;
  std::printf("\nexample:\n  $ quorbel");
  for (const std::string& word : guide->example) std::printf(" %s", word.c_str());
  std::printf("\n\n");
  RunExample(command);
}

}  // namespace quorbel::cli
