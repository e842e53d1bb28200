// The worked example of a command's help, run on the spot. See program.h.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define QUORBEL_DUP _dup
#define QUORBEL_DUP2 _dup2
#define QUORBEL_CLOSE _close
#define QUORBEL_FILENO _fileno
#else
#include <unistd.h>
#define QUORBEL_DUP dup
#define QUORBEL_DUP2 dup2
#define QUORBEL_CLOSE close
#define QUORBEL_FILENO fileno
#endif

#include "guides.h"
#include "paths.h"
#include "program.h"
#include "run_words.h"

namespace quorbel::cli {
namespace {

// What `run` prints on standard output, captured through a scratch file.
template <class Run>
std::string CaptureOutput(Run run) {
  std::fflush(stdout);
  std::FILE* scratch = std::tmpfile();
  const int saved = scratch != nullptr ? QUORBEL_DUP(QUORBEL_FILENO(stdout)) : -1;
  if (saved < 0 || QUORBEL_DUP2(QUORBEL_FILENO(scratch), QUORBEL_FILENO(stdout)) < 0) {
    if (saved >= 0) QUORBEL_CLOSE(saved);
    if (scratch != nullptr) std::fclose(scratch);
    run();
    return "";
  }
  run();
  std::fflush(stdout);
  QUORBEL_DUP2(saved, QUORBEL_FILENO(stdout));
  QUORBEL_CLOSE(saved);
  std::string text;
  std::rewind(scratch);
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, scratch)) > 0;) text.append(buffer, got);
  std::fclose(scratch);
  return text;
}

void Replace(std::string* text, const std::string& from, const std::string& to) {
  for (size_t at = 0; !from.empty() && (at = text->find(from, at)) != std::string::npos; at += to.size())
    text->replace(at, from.size(), to);
}

void PrintFile(const std::filesystem::path& path, const std::string& name) {
  std::ifstream written(path, std::ios::binary);
  std::string line;
  std::printf("\n%s:\n", name.c_str());
  while (std::getline(written, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::printf("  %s\n", line.c_str());
  }
}

}  // namespace

void RunExample(const commands::Command& command) {
  const commands::CommandGuide* guide = commands::GuideOf(command.family, command.name);
  if (guide == nullptr || guide->example.size() < 2) return;
  std::vector<std::string> words(guide->example.begin(), guide->example.end());
  const size_t files = guide->exampleList.empty() ? 0 : command.positionals.size();
  if (files == 0) {
    RunWords(words, Output::kExample);
    return;
  }
  // The files of a list example live in a scratch folder, named by their
  // full paths on the command; the output shows them by their own names.
  std::error_code error;
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path(error) / ("quorbel-help-" + std::to_string(std::random_device()()));
  if (!std::filesystem::create_directory(scratch, error) || words.size() < 2 + files) return;
  std::vector<std::string> names(words.begin() + 2, words.begin() + 2 + static_cast<long>(files));
  for (size_t i = 0; i < files; ++i) words[2 + i] = commands::PathText(scratch / commands::FilePath(names[i]));
  {
    std::ofstream list(commands::FilePath(words[2]), std::ios::binary);
    for (const std::string& line : guide->exampleList) list << line << "\n";
  }
  std::printf("%s:\n", names[0].c_str());
  for (const std::string& line : guide->exampleList) std::printf("  %s\n", line.c_str());
  std::printf("\n");
  std::string output = CaptureOutput([&] { RunWords(words, Output::kExample); });
  for (size_t i = 0; i < files; ++i) Replace(&output, words[2 + i], names[i]);
  std::fputs(output.c_str(), stdout);
  for (size_t i = 1; i < files; ++i) PrintFile(commands::FilePath(words[2 + i]), names[i]);
  std::filesystem::remove_all(scratch, error);
}

}  // namespace quorbel::cli
