// What --help teaches beyond the option table: the question each command
// answers, a worked example, and notes on what is easy to misread.
#ifndef QUORBEL_COMMANDS_GUIDES_H
#define QUORBEL_COMMANDS_GUIDES_H

#include <string>
#include <vector>

namespace quorbel::commands {

struct CommandGuide {
  const char* family;
  const char* name;
  const char* group;     // plan a sample, analyse a sample, show absence of disease, select units
  const char* question;  // one sentence
  std::vector<std::string> example;  // the words after "quorbel"; its output is shown live
  const char* notes;     // what is easy to misread, or ""
  // For commands that read a list: the example's first positional names a
  // file of these lines, written to a scratch folder for the example's run.
  std::vector<std::string> exampleList = {};
};

// What a command computes, its source, and the fields of its answer, for the
// help pages of the bindings.
struct CommandMethod {
  const char* family;
  const char* name;
  const char* method;
  const char* reference;
  const char* returns;
};

// The method of a command, or null; and what every answer holds besides.
const CommandMethod* MethodOf(const std::string& family, const std::string& name);
const char* SettingsAndWarningsText();

// The guide of a command, or null.
const CommandGuide* GuideOf(const std::string& family, const std::string& name);

// The groups, in the order quorbel --help lists them.
const std::vector<const char*>& Groups();

}  // namespace quorbel::commands

#endif
