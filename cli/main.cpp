// quorbel: the command-line program over the commands library.
//
//   quorbel FAMILY COMMAND [--option value ...] [--json | --csv]
//   quorbel --help | quorbel FAMILY COMMAND --help
//   quorbel register | quorbel unregister       (Windows installers)
//
// Exit status: 0 on success, 1 when the library rejects an argument (the
// message names it and shows the result code), 2 for a command line that
// cannot be run, 3 when the library cannot be loaded.
#ifdef _WIN32
#include <windows.h>
#endif

#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "command.h"
#include "program.h"
#include "progress.h"
#include "run_words.h"

using namespace quorbel;

static int Main(int argc, char** argv) {
  // Paths, list files and result files follow the user's character type.
  // Numbers do not: arguments and JSON always use the point, whatever the
  // user's numeric locale, so LC_NUMERIC stays "C".
  std::setlocale(LC_CTYPE, "");
  commands::SetReadingWatcher(&cli::Progress::Watch);
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    cli::PrintOverview();
    return argc < 2 ? 2 : 0;
  }
  if (std::strcmp(argv[1], "--commands-json") == 0) {
    std::fputs(commands::CommandTableJson().c_str(), stdout);  // for the bindings' generators and coverage tests
    return 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("quorbel %s\n", QUORBEL_VERSION);
    return 0;
  }
  if (std::strcmp(argv[1], "register") == 0 || std::strcmp(argv[1], "unregister") == 0)
    return cli::RunRegistration(argv[1][0] == 'r');
  if (argc < 3) {
    std::fprintf(stderr, "quorbel: '%s' needs a command; see quorbel --help\n", argv[1]);
    return 2;
  }
  const std::vector<std::string> words(argv + 1, argv + argc);
  const commands::Command* command = commands::FindCommand(words[0], words[1]);
  if (command != nullptr)
    for (const std::string& word : words)
      if (word == "--help" || word == "-h") {
        cli::PrintCommandHelp(*command);
        return 0;
      }
  return cli::RunWords(words);
}

static int Guarded(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "quorbel: internal error: %s\n", failure.what());
    return 2;
  }
}

#ifdef _WIN32
// The command line as UTF-16, converted to UTF-8 for parsing; file paths go
// back to UTF-16 for the library's wide exports (see paths.h), so names such
// as donnees/élevage.txt arrive unchanged. Output is UTF-8 too.
int wmain(int argc, wchar_t** wideArgv) {
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> words;
  for (int i = 0; i < argc; ++i) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wideArgv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string word(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wideArgv[i], -1, word.data(), bytes, nullptr, nullptr);
    word.resize(std::strlen(word.c_str()));
    words.push_back(word);
  }
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return Guarded(argc, argv.data());
}
#else
int main(int argc, char** argv) { return Guarded(argc, argv); }
#endif
