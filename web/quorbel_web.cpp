// The WebAssembly module of the browser calculator: runs a command of the
// command-line tool in this process and hands back its JSON, as the R and
// Python packages do, over the library's own sources compiled in. The page's
// script (quorbel-api.js) turns each command into a function of
// window.quorbel and reads files through the module's in-memory file system.
#include <emscripten/emscripten.h>

#include <string>
#include <vector>

#include "command.h"
#include "csv.h"
#include "frame/list_separator.h"
#include "linked_api.h"
#include "list_check.h"

namespace {

// The answer of the last call, kept until the next one so that the script
// can read it: one status digit (0 done, 1 rejected argument, 2 unusable
// words, 3 internal failure), then the JSON or the message.
std::string g_answer;

std::vector<std::string> SplitWords(const std::string& joined) {
  std::vector<std::string> words;
  std::string::size_type start = 0;
  for (std::string::size_type end; (end = joined.find('\n', start)) != std::string::npos; start = end + 1)
    words.push_back(joined.substr(start, end - start));
  words.push_back(joined.substr(start));
  return words;
}

}  // namespace

extern "C" {

// Runs the words of one command line (without "quorbel"), separated by line
// feeds, with the list separator `separator` (';' or ','): a browser has no
// user locale to take it from, so the page asks.
EMSCRIPTEN_KEEPALIVE const char* quorbel_web_run(const char* joinedWords, int separator) {
  quorbel::ChooseListSeparator(separator == ';' ? quorbel::kLanguageSpanish : 0);
  quorbel::cli::ChooseSeparatorInEffect(separator == ';' ? ';' : ',');
  std::string json, message;
  int status = 3;
  try {
    status = quorbel::cli::RunForJson(quorbel::host::LinkedApi(), SplitWords(joinedWords), &json, &message);
  } catch (const std::exception& error) {
    message = error.what();
  }
  g_answer = std::to_string(status) + (status == 0 ? json : message);
  return g_answer.c_str();
}

// The CSV table of a JSON answer, as the tool's --csv prints it; empty when
// the text is not an answer.
EMSCRIPTEN_KEEPALIVE const char* quorbel_web_csv(const char* json) {
  try {
    g_answer = quorbel::cli::JsonToCsv(json);
  } catch (const std::exception&) {
    g_answer.clear();
  }
  return g_answer.c_str();
}

// The table of commands with their guides: see CommandTableJson.
EMSCRIPTEN_KEEPALIVE const char* quorbel_web_commands() {
  g_answer = quorbel::cli::CommandTableJson();
  return g_answer.c_str();
}

}  // extern "C"
