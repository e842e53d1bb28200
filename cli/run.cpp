// Finding a command, the words of a rejection, and running a command in
// this process for its JSON (the bindings' way in), and the table of
// commands as JSON. See command.h.
#include <cstring>

#include "command.h"
#include "help.h"
#include "output.h"

namespace quorbel::cli {

const Command* FindCommand(const std::string& family, const std::string& name) {
  for (const Command& command : Commands())
    if (family == command.family && name == command.name) return &command;
  return nullptr;
}

std::string RejectionText(const Command& command, QuorbelResult code) {
  for (const CodeBlame& blame : command.blames)
    if (blame.code == code)
      return std::string(blame.argument) + " rejected: it must be " + blame.allowed + " (result code " +
             CodeText(code) + ")";
  return "the library failed (result code " + CodeText(code) + ")";
}

std::string CommandTableJson() {
  Json json;
  json.BeginArray();
  for (const Command& command : Commands()) {
    json.Begin().String("family", command.family).String("name", command.name).String("summary", command.summary);
    json.BeginArray("positionals");
    for (const char* positional : command.positionals) json.String(nullptr, positional);
    json.EndArray().BeginArray("options");
    for (const OptionHelp& option : command.options) {
      const char* fallback = DefaultOf(option.name);
      json.Begin().String("name", option.name).String("allowed", option.allowed);
      json.Bool("optional", option.optional || fallback != nullptr).String("default", fallback ? fallback : "").End();
    }
    json.EndArray();
    if (const CommandGuide* guide = GuideOf(command.family, command.name)) {
      json.String("group", guide->group).String("question", guide->question).String("notes", guide->notes);
      json.BeginArray("example");
      for (const std::string& word : guide->example) json.String(nullptr, word);
      json.EndArray().BeginArray("exampleList");
      for (const std::string& line : guide->exampleList) json.String(nullptr, line);
      json.EndArray();
    }
    json.End();
  }
  json.EndArray();
  std::string text;
  CaptureJson(&text);
  json.Print();
  CaptureJson(nullptr);
  return text;
}

int RunForJson(const host::Api& api, const std::vector<std::string>& words, std::string* json, std::string* message) {
  if (words.size() < 2) {
    *message = "a command needs a family and a name";
    return 2;
  }
  const Command* command = FindCommand(words[0], words[1]);
  if (command == nullptr) {
    *message = "no command '" + words[0] + " " + words[1] + "'";
    return 2;
  }
  std::vector<std::string> options(words.begin() + 2, words.end());
  options.push_back("--json");
  std::string captured;
  CaptureJson(&captured);
  int status = 0;
  try {
    const Args args(options, command->options, command->positionals.size());
    const QuorbelResult code = command->run(api, args);
    if (code != QUORBEL_OK) {
      *message = RejectionText(*command, code);
      status = 1;
    }
  } catch (const UsageError& error) {
    *message = error.what();
    status = 2;
  } catch (...) {
    CaptureJson(nullptr);
    throw;
  }
  CaptureJson(nullptr);
  if (status == 0) *json = captured;
  return status;
}

}  // namespace quorbel::cli
