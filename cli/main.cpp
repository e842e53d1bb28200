// quorbel: the command-line host over the library's exported functions.
//
//   quorbel FAMILY COMMAND [--option value ...] [--json]
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
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command.h"
#include "csv.h"
#include "help.h"
#include "output.h"

using namespace quorbel;
using namespace quorbel::cli;

namespace {

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
              "written 0.95 or 95%%. Exit status: 0 success; 1 the library rejected an argument (the message\n"
              "names it and the result code); 2 a command line that cannot run; 3 the library cannot be loaded.\n");
}

// Above a table: the settings in effect, defaults included, and for the
// classic estimates the normal quantile actually used, which is 1.96 for
// every level from 91 to 98.
void PrintSettings(const Command& command, const Args& args) {
  if (args.json()) return;
  std::string line;
  auto add = [&line](const std::string& text) { line += (line.empty() ? "" : ", ") + text; };
  const std::string family = command.family;
  const bool classicZ = family != "detect" && family != "prevalence" && std::string(command.name) != "proportion";
  if (args.Has("--confidence")) {
    const std::string& level = args.Text("--confidence");
    std::string text = "confidence " + level + " %";
    if (classicZ && (level == "90" || level == "99")) text += " (z = " + std::string(level == "90" ? "1.645" : "2.576") + ")";
    if (classicZ && level.size() == 2 && level >= "91" && level <= "98")
      text += " (z = 1.96: the library uses 1.96 for every level from 91 to 98)";
    add(text);
  }
  if (args.Has("--power")) add("power " + args.Text("--power") + " %");
  for (const OptionHelp& option : command.options)
    if (std::string(option.name) == "--false-positive-risk")
      add("false-positive risk " + (args.Has("--false-positive-risk") ? args.Text("--false-positive-risk") : "0.05"));
  if (!line.empty()) std::printf("[%s]\n", line.c_str());
}

// The command's question, usage, options with their defaults, notes, and a
// worked example whose output is computed on the spot.
void PrintCommandHelp(const Command& command) {
  const CommandGuide* guide = GuideOf(command.family, command.name);
  std::printf("quorbel %s %s: %s\n", command.family, command.name, command.summary);
  if (guide != nullptr) std::printf("%s\n", guide->question);
  std::printf("\nusage: quorbel %s %s", command.family, command.name);
  for (const char* positional : command.positionals) std::printf(" %s", positional);
  std::printf(" [options] [--json]\n\noptions:\n");
  for (const OptionHelp& option : command.options)
    std::printf("  %-16s %s%s\n", option.name, option.allowed,
                DefaultOf(option.name) != nullptr ? (std::string(" (default ") + DefaultOf(option.name) + ")").c_str()
                : option.optional                 ? " (optional)"
                                                  : "");
  std::printf("  %-16s %s\n", "--json", "print JSON for programs");
  std::printf("  %-16s %s\n", "--csv", "print a table with a header row for a spreadsheet");
  if (guide == nullptr) return;
  if (guide->notes[0] != '\0') std::printf("\nnotes: %s\n", guide->notes);
  if (guide->example.empty()) return;
  std::printf("\nexample:\n  $ quorbel");
  for (const std::string& word : guide->example) std::printf(" %s", word.c_str());
  std::printf("\n\n");
  std::string loadError;
  const host::Api* api = host::LoadApi(&loadError);
  if (api == nullptr) return;
  std::vector<std::string> words(guide->example.begin() + 2, guide->example.end());
  // A list example runs in a scratch folder on a copy of its lines, which are
  // shown first, and the files it writes are shown after; the folder is
  // removed afterwards.
  std::error_code error;
  const std::filesystem::path home = std::filesystem::current_path(error);
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path(error) / ("quorbel-help-" + std::to_string(std::random_device()()));
  const bool withList = !guide->exampleList.empty() && !words.empty() &&
                        std::filesystem::create_directory(scratch, error) &&
                        (std::filesystem::current_path(scratch, error), !error);
  if (withList) {
    std::ofstream list(words[0], std::ios::binary);
    for (const std::string& line : guide->exampleList) list << line << "\n";
    std::printf("%s:\n", words[0].c_str());
    for (const std::string& line : guide->exampleList) std::printf("  %s\n", line.c_str());
    std::printf("\n");
  }
  try {
    command.run(*api, Args(words, command.options, command.positionals.size()));
  } catch (const UsageError& failure) {
    std::printf("(%s)\n", failure.what());
  }
  if (!withList) return;
  for (size_t i = 1; i < command.positionals.size() && i < words.size(); ++i) {
    std::ifstream written(words[i], std::ios::binary);
    std::string line;
    std::printf("\n%s:\n", words[i].c_str());
    while (std::getline(written, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::printf("  %s\n", line.c_str());
    }
  }
  std::filesystem::current_path(home, error);
  std::filesystem::remove_all(scratch, error);
}

// "quorbel register" and "quorbel unregister", for installers: enter the
// library in the Windows class registry, or remove it.
int RunRegistration(bool enter) {
#ifdef _WIN32
  std::string loadError;
  const host::Api* api = host::LoadApi(&loadError);
  if (api == nullptr) {
    std::fprintf(stderr, "quorbel: %s\n", loadError.c_str());
    return 3;
  }
  const int32_t status = enter ? api->DllRegisterServer() : api->DllUnregisterServer();
  if (status == 0) {
    std::printf("quorbel: Quorbel.dll %s\n", enter ? "registered" : "unregistered");
    return 0;
  }
  std::fprintf(stderr, "quorbel: %s failed (status 0x%08X): %s\n", enter ? "registration" : "unregistration",
               static_cast<unsigned>(status),
               enter ? "the class registry could not be written (run as an administrator?)"
                     : "the library is not registered, or its keys hold subkeys of their own");
  return 1;
#else
  std::fprintf(stderr, "quorbel: %s is for the Windows library; there is no class registry here\n",
               enter ? "register" : "unregister");
  return 2;
#endif
}

}  // namespace

static int Main(int argc, char** argv) {
  // Paths, list files and result files follow the user's character type.
  // Numbers do not: arguments and JSON always use the point, whatever the
  // user's numeric locale, so LC_NUMERIC stays "C".
  std::setlocale(LC_CTYPE, "");
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintOverview();
    return argc < 2 ? 2 : 0;
  }
  if (std::strcmp(argv[1], "--commands-json") == 0) {
    std::fputs(CommandTableJson().c_str(), stdout);  // for the bindings' generators and coverage tests
    return 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("quorbel %s\n", QUORBEL_VERSION);
    return 0;
  }
  if (std::strcmp(argv[1], "register") == 0 || std::strcmp(argv[1], "unregister") == 0)
    return RunRegistration(argv[1][0] == 'r');
  if (argc < 3) {
    std::fprintf(stderr, "quorbel: '%s' needs a command; see quorbel --help\n", argv[1]);
    return 2;
  }
  const Command* command = FindCommand(argv[1], argv[2]);
  if (command == nullptr) {
    std::fprintf(stderr, "quorbel: no command '%s %s'; see quorbel --help\n", argv[1], argv[2]);
    return 2;
  }
  std::vector<std::string> words(argv + 3, argv + argc);
  for (const std::string& word : words) {
    if (word == "--help" || word == "-h") {
      PrintCommandHelp(*command);
      return 0;
    }
  }
  std::string loadError;
  const host::Api* api = host::LoadApi(&loadError);
  if (api == nullptr) {
    std::fprintf(stderr, "quorbel: %s\n", loadError.c_str());
    return 3;
  }
  try {
    const Args args(words, command->options, command->positionals.size());
    std::string captured;
    if (args.csv()) CaptureJson(&captured);
    PrintSettings(*command, args);
    const QuorbelResult code = command->run(*api, args);
    CaptureJson(nullptr);
    if (args.csv() && code == QUORBEL_OK) std::fputs(JsonToCsv(captured).c_str(), stdout);
    if (code == QUORBEL_OK) return 0;
    std::fprintf(stderr, "quorbel: %s\n", RejectionText(*command, code).c_str());
    return 1;
  } catch (const UsageError& error) {
    std::fprintf(stderr, "quorbel: %s\n", error.what());
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
  return Main(argc, argv.data());
}
#else
int main(int argc, char** argv) { return Main(argc, argv); }
#endif
