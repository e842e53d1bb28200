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
#include "help.h"
#include "linked_api.h"
#include "list_check.h"
#include "output.h"

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

void WriteGuide(quorbel::cli::Json& json, const quorbel::cli::CommandGuide& guide) {
  json.String("group", guide.group).String("question", guide.question).String("notes", guide.notes);
  json.BeginArray("example");
  for (const std::string& word : guide.example) json.String(nullptr, word);
  json.EndArray().BeginArray("exampleList");
  for (const std::string& line : guide.exampleList) json.String(nullptr, line);
  json.EndArray();
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

// The commands, their options with defaults, and the guides of --help (the
// group, the question, the notes and the worked example), as JSON.
EMSCRIPTEN_KEEPALIVE const char* quorbel_web_commands() {
  using quorbel::cli::Json;
  Json json;
  json.BeginArray();
  for (const quorbel::cli::Command& command : quorbel::cli::Commands()) {
    json.Begin().String("family", command.family).String("name", command.name).String("summary", command.summary);
    json.BeginArray("positionals");
    for (const char* positional : command.positionals) json.String(nullptr, positional);
    json.EndArray().BeginArray("options");
    for (const quorbel::cli::OptionHelp& option : command.options) {
      const char* fallback = quorbel::cli::DefaultOf(option.name);
      json.Begin().String("name", option.name).String("allowed", option.allowed);
      json.Bool("optional", option.optional || fallback != nullptr).String("default", fallback ? fallback : "").End();
    }
    json.EndArray();
    if (const quorbel::cli::CommandGuide* guide = quorbel::cli::GuideOf(command.family, command.name))
      WriteGuide(json, *guide);
    json.End();
  }
  json.EndArray();
  g_answer.clear();
  quorbel::cli::CaptureJson(&g_answer);
  json.Print();
  quorbel::cli::CaptureJson(nullptr);
  return g_answer.c_str();
}

}  // extern "C"
