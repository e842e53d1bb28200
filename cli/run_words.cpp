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
    const bool text = !args.json();
    if (text && output == Output::kAsAsked) std::fputs(commands::SettingsLine(*command, args).c_str(), stdout);
    const commands::Answer answer = commands::Execute(*command, *api, args);
    if (!text)
      std::fputs(args.csv() ? commands::RenderCsv(answer.value).c_str()
                            : (commands::RenderJson(answer.value) + "\n").c_str(),
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
