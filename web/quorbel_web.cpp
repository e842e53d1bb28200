// The WebAssembly module of the browser calculator: runs a command in this
// process, as the R and Python packages do, over the library's own sources
// compiled in. The page's script (quorbel-api.js) turns each command into a
// function of window.quorbel and reads files through the module's in-memory
// file system.
#include <emscripten/emscripten.h>

#include <string>
#include <vector>

#include "command.h"
#include "linked_api.h"
#include "list_check.h"
#include "quorbel.h"

namespace {

// The answer of the last call, kept until the next one so that the script
// can read it.
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
// user locale to take it from, so the page asks. Answers
//   {"status": 0, "answer": {...}, "csv": "...", "warnings": [...]}
// or {"status": 1 or 2, "error": {...}, "warnings": [...]}, the error's
// fields as ErrorValue gives them; status 3 is an internal failure.
EMSCRIPTEN_KEEPALIVE const char* quorbel_web_run(const char* joinedWords, int separator) {
  using namespace quorbel::commands;
  ChooseSeparatorInEffect(separator == ';' ? ';' : ',');
  Value envelope = Value::Object();
  try {
    const Outcome outcome = RunForJson(quorbel::host::LinkedApi(), SplitWords(joinedWords));
    envelope.Add("status", Value::Int(outcome.status));
    if (outcome.status == 0) {
      g_answer = "{\"status\": 0, \"answer\": " + outcome.json + ", \"csv\": " +
                 RenderJson(Value::String(outcome.csv)) + "}";
      return g_answer.c_str();
    }
    envelope.Add("error", ErrorValue(outcome.error));
    envelope.Add("warnings", WarningsValue(outcome.warnings));
  } catch (const std::exception& failure) {
    envelope = Value::Object();
    envelope.Add("status", Value::Int(3));
    Value& error = envelope.Add("error", Value::Object());
    error.Add("message", Value::String(failure.what()));
  }
  g_answer = RenderJson(envelope);
  return g_answer.c_str();
}

// The table of commands with their guides: see CommandTableJson.
EMSCRIPTEN_KEEPALIVE const char* quorbel_web_commands() {
  g_answer = quorbel::commands::CommandTableJson();
  return g_answer.c_str();
}

// The library's version, for the page's footer.
EMSCRIPTEN_KEEPALIVE const char* quorbel_web_version() { return QUORBEL_VERSION; }

}  // extern "C"
