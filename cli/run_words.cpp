// See run_words.h.
#include "run_words.h"

#include <cstdio>

#include "command.h"

namespace quorbel::cli {

int RunWords(const std::vector<std::string>& words, Output output) {
  const commands::Command* command = commands::FindCommand(words[0], words[1]);
  if (command == nullptr) {
    std::fprintf(stderr, "quorbel: no command '%s %s'; see quorbel --help\n", words[0].c_str(), words[1].c_str());
    return 2;
  }
  std::string loadError;
  const host::Api* api = host::LoadApi(&loadError);
  if (api == nullptr) {
    std::fprintf(stderr, "quorbel: %s\n", loadError.c_str());
    return 3;
  }
  try {
    const commands::Args args(std::vector<std::string>(words.begin() + 2, words.end()), command->options,
                              command->positionals.size());
    const commands::Answer answer = commands::Execute(*command, *api, args);
    if (args.csv())
      std::fputs(commands::RenderCsv(answer.value).c_str(), stdout);
    else if (args.json())
      std::printf("%s\n", commands::RenderJson(answer.value).c_str());
    else
      std::fputs(((output == Output::kAsAsked ? commands::SettingsLine(*command, args) : std::string()) +
                  command->text(answer.value))
                     .c_str(),
                 stdout);
    std::fflush(stdout);
    for (const commands::Warning& warning : answer.warnings)
      std::fprintf(stderr, "quorbel: warning: %s\n", warning.message.c_str());
    return 0;
  } catch (const commands::CommandError& error) {
    std::fflush(stdout);
    for (const commands::Warning& warning : error.warnings)
      std::fprintf(stderr, "quorbel: warning: %s\n", warning.message.c_str());
    std::fprintf(stderr, "quorbel: %s\n", error.what());
    return error.status;
  }
}

}  // namespace quorbel::cli
