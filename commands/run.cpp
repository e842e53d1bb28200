// Finding a command, running it for its answer with settings and warnings,
// the errors it reports, and the table of commands as JSON. See command.h.
#include <cctype>
#include <cmath>
#include <cstring>
#include <cstdlib>

#include "exact/boost_config.h"
#include <boost/math/distributions/normal.hpp>

#include "command.h"
#include "guides.h"
#include "list_check.h"
#include "output.h"

namespace quorbel::commands {

const Command* FindCommand(const std::string& family, const std::string& name) {
  for (const Command& command : Commands())
    if (family == command.family && name == command.name) return &command;
  return nullptr;
}

CommandError Rejection(const char* argument, const char* allowed, QuorbelResult code) {
  CommandError error(argument,
                     std::string(argument) + " rejected: it must be " + allowed + " (result code " + CodeText(code) + ")",
                     1);
  error.code = code;
  error.allowed = allowed;
  return error;
}

CommandError Rejection(const Command& command, QuorbelResult code) {
  for (const CodeBlame& blame : command.blames)
    if (blame.code == code) return Rejection(blame.argument, blame.allowed, code);
  CommandError error("", "the library failed (result code " + CodeText(code) + ")", 1);
  error.code = code;
  return error;
}

namespace {

thread_local std::vector<Warning>* g_warnings = nullptr;
thread_local Value* g_derived = nullptr;

// The normal quantile a level (in percent) is computed at.
double QuantileOf(ZRule rule, double level) {
  if (rule == ZRule::kClassic) return level == 90 ? 1.645 : level == 99 ? 2.576 : 1.96;
  return boost::math::quantile(boost::math::normal(), 1 - (1 - level / 100) / 2);
}

// The option a command's normal quantile comes from: its first level (the
// confidence; a power or a herd sensitivity comes after it), or null.
const Option* LevelOption(const Args& args) {
  for (const Option* option : args.inEffect())
    if (option->kind == OptionKind::kLevel) return option;
  return nullptr;
}

// The level of a command that has one, or NaN.
double LevelOf(const Args& args) {
  const Option* level = LevelOption(args);
  return level != nullptr ? std::strtod(args.TextOf(*level).c_str(), nullptr) : NAN;
}

// An option's text as a value of its kind.
Value Typed(const Option& option, const std::string& text) {
  switch (option.kind) {
    case OptionKind::kProportion:
    case OptionKind::kLevel:
    case OptionKind::kReal:
      return Value::Double(std::strtod(text.c_str(), nullptr));
    case OptionKind::kCount:
      return Value::Int(std::strtoll(text.c_str(), nullptr, 10));
    case OptionKind::kPopulation:
      return text == "infinite" ? Value::String(text) : Value::Int(std::strtoll(text.c_str(), nullptr, 10));
    case OptionKind::kFlag:
      return Value::Bool(true);
    default:
      return Value::String(text);
  }
}

// An option in effect as a value of its kind: a number as the arguments
// read it, a whole number given without its word without making one.
Value InEffect(const Option& option, const Args& args) {
  long long whole = 0;
  switch (option.kind) {
    case OptionKind::kProportion:
    case OptionKind::kLevel:
    case OptionKind::kReal:
      return Value::Double(args.Double(option.name));
    case OptionKind::kCount:
    case OptionKind::kPopulation:
      if (args.WholeNumber(option, &whole)) return Value::Int(whole);
      break;
    default:
      break;
  }
  return Typed(option, args.TextOf(option));
}

// Restores the thread's collectors however a run ends.
struct Collecting {
  Collecting(Value* answer, std::vector<Warning>* warnings, Value* derived) {
    CollectAnswer(answer);
    g_warnings = warnings;
    g_derived = derived;
  }
  ~Collecting() {
    CollectAnswer(nullptr);
    g_warnings = nullptr;
    g_derived = nullptr;
  }
};

}  // namespace

void Warn(const std::string& kind, const std::string& message, int line) {
  if (g_warnings != nullptr) g_warnings->push_back({kind, message, line});
}

void SetInEffect(const std::string& argument, Value value) {
  if (g_derived != nullptr) g_derived->Add(argument, std::move(value));
}

Value DefaultsValue(const std::vector<Option>& options) {
  Value defaults = Value::Object();
  for (const Option& option : options)
    if (option.fallback != nullptr) defaults.Add(option.argument, Typed(option, option.fallback));
  return defaults;
}

Value Settings(const Command& command, const Args& args, const Value* derived) {
  const double level = LevelOf(args);
  const bool z = command.z != ZRule::kNone && std::isfinite(level) && level > 0 && level < 100;
  Value settings = Value::Object();
  settings.members.reserve(args.inEffect().size() + (derived != nullptr ? derived->members.size() : 0) + 1 + z);
  for (const Option* option : args.inEffect()) settings.Add(option->argument, InEffect(*option, args));
  if (derived != nullptr)
    for (const auto& [key, value] : derived->members) settings.Add(key, value);
  settings.Add("defaults", command.defaults);
  if (z) settings.Add("z", Value::Double(QuantileOf(command.z, level)));
  return settings;
}

std::string SettingsLine(const Command& command, const Args& args) {
  std::string line;
  for (const Option* option : args.inEffect()) {
    if (option->fallback == nullptr) continue;
    const std::string& text = args.TextOf(*option);
    std::string words = option->argument;
    for (char& c : words) c = c == '_' ? ' ' : c;
    line += (line.empty() ? "" : ", ") + words + " " + text + (option->kind == OptionKind::kLevel ? " %" : "");
    const double level = std::strtod(text.c_str(), nullptr);
    if (option == LevelOption(args) && command.z != ZRule::kNone && level > 0 && level < 100)
      line += " (z = " + DoubleText(QuantileOf(command.z, level)) + ")";
  }
  return line.empty() ? "" : "[" + line + "]\n";
}

Value WarningsValue(const std::vector<Warning>& warnings) {
  Value list = Value::Array();
  for (const Warning& warning : warnings) {
    Value& item = list.Push(Value::Object());
    item.Add("kind", Value::String(warning.kind));
    item.Add("message", Value::String(warning.message));
    if (warning.line >= 0) item.Add("line", Value::Int(warning.line));
  }
  return list;
}

Answer Execute(const Command& command, const host::Api& api, const Args& args) {
  Answer answer;
  Value derived = Value::Object();
  Collecting collecting(&answer.value, &answer.warnings, &derived);
  const double level = LevelOf(args);
  if (command.z == ZRule::kClassic && level > 90 && level < 99 && level != 95)
    Warn("level-at-1.96", "confidence " + DoubleText(level) + " % is computed at z = 1.96, the quantile of 95 %: the "
                              "library uses 1.96 for every level from 91 to 98");
  try {
    const SeparatorOfCommand separator(args);
    const QuorbelResult code = command.run(api, args);
    if (code != QUORBEL_OK) throw Rejection(command, code);
  } catch (CommandError& error) {
    error.warnings = answer.warnings;
    throw;
  }
  if (answer.value.type == Value::Type::kObject) {
    answer.value.Add("settings", Settings(command, args, &derived));
    answer.value.Add("warnings", WarningsValue(answer.warnings));
  }
  return answer;
}

std::string FunctionName(const Command& command) {
  return ArgumentName(command.family) + "_" + ArgumentName(command.name);
}

namespace {

Value Strings(const std::vector<std::string>& words) {
  Value list = Value::Array();
  for (const std::string& word : words) list.Push(Value::String(word));
  return list;
}

Value FileValue(const char* positional) {
  const FileLabel label = LabelOfFile(positional);
  Value file = Value::Object();
  file.Add("name", Value::String(positional));
  file.Add("label", Value::String(label.label));
  file.Add("unit", Value::String(label.unit));
  return file;
}

Value OptionValue(const Option& option) {
  Value item = Value::Object();
  item.Add("name", Value::String(option.name));
  item.Add("argument", Value::String(option.argument));
  item.Add("kind", Value::String(KindName(option.kind)));
  item.Add("label", Value::String(option.label));
  item.Add("unit", Value::String(option.unit));
  item.Add("allowed", Value::String(option.allowed));
  item.Add("bindingAllowed", Value::String(BindingText(option.allowed)));
  item.Add("optional", Value::Bool(option.optional || option.fallback != nullptr));
  item.Add("default", Value::String(option.fallback != nullptr ? option.fallback : ""));
  if (option.choices != nullptr) item.Add("choices", Value::String(option.choices));
  return item;
}

// What --help and the bindings' help pages say besides the options.
void AddGuide(const Command& command, Value* entry) {
  if (const CommandGuide* guide = GuideOf(command.family, command.name)) {
    entry->Add("group", Value::String(guide->group));
    entry->Add("question", Value::String(guide->question));
    entry->Add("notes", Value::String(guide->notes));
    entry->Add("example", Strings(guide->example));
    entry->Add("exampleList", Strings(guide->exampleList));
  }
  if (const CommandMethod* method = MethodOf(command.family, command.name)) {
    entry->Add("method", Value::String(method->method));
    entry->Add("reference", Value::String(method->reference));
    entry->Add("returns", Value::String(std::string(method->returns) + " " + SettingsAndWarningsText()));
  }
}

}  // namespace

std::string CommandTableJson() {
  Value table = Value::Array();
  for (const Command& command : Commands()) {
    Value& entry = table.Push(Value::Object());
    entry.Add("family", Value::String(command.family));
    entry.Add("name", Value::String(command.name));
    entry.Add("function", Value::String(FunctionName(command)));
    entry.Add("summary", Value::String(command.summary));
    Value& positionals = entry.Add("positionals", Value::Array());
    Value& files = entry.Add("files", Value::Array());
    for (const char* positional : command.positionals) {
      positionals.Push(Value::String(positional));
      files.Push(FileValue(positional));
    }
    Value& options = entry.Add("options", Value::Array());
    for (const Option& option : command.options) options.Push(OptionValue(option));
    AddGuide(command, &entry);
  }
  return RenderJson(table);
}

std::string BindingText(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const bool wordStart = i == 0 || !std::isalnum(static_cast<unsigned char>(text[i - 1]));
    if (text.compare(i, 2, "--") == 0 && i + 2 < text.size() && std::islower(static_cast<unsigned char>(text[i + 2]))) {
      size_t end = i + 2;
      while (end < text.size() && (std::islower(static_cast<unsigned char>(text[end])) ||
                                   std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '-'))
        ++end;
      out += ArgumentName(text.substr(i, end - i));
      i = end;
      continue;
    }
    bool file = false;
    for (const char* word : {"FILE", "LIST", "OUT"}) {
      const size_t length = std::strlen(word);
      if (wordStart && text.compare(i, length, word) == 0 &&
          (i + length == text.size() || !std::isalnum(static_cast<unsigned char>(text[i + length])))) {
        out += ArgumentName(word);
        i += length;
        file = true;
        break;
      }
    }
    if (!file) out += text[i++];
  }
  const size_t code = out.find(" (result code ");
  if (code != std::string::npos && out.back() == ')') out.erase(code);
  return out;
}

Value ErrorValue(const CommandError& error) {
  Value value = Value::Object();
  value.Add("message", Value::String(BindingText(error.what())));
  value.Add("toolMessage", Value::String(error.what()));
  value.Add("status", Value::Int(error.status));
  value.Add("code", error.code != 0 ? Value::Int(error.code) : Value());
  value.Add("codeName", error.code != 0 ? Value::String(CodeName(error.code)) : Value());
  value.Add("argument", error.argument.empty() ? Value() : Value::String(ArgumentName(error.argument)));
  value.Add("option", error.argument.empty() ? Value() : Value::String(error.argument));
  value.Add("allowed", error.allowed.empty() ? Value() : Value::String(BindingText(error.allowed)));
  value.Add("line", error.line >= 0 ? Value::Int(error.line) : Value());
  value.Add("field", error.field >= 0 ? Value::Int(error.field) : Value());
  return value;
}

std::string ErrorJson(const CommandError& error) { return RenderJson(ErrorValue(error)); }

Outcome RunForJson(const host::Api& api, const std::vector<std::string>& words) {
  Outcome outcome;
  try {
    if (words.size() < 2) throw CommandError("", "a command needs a family and a name");
    const Command* command = FindCommand(words[0], words[1]);
    if (command == nullptr) throw CommandError("", "no command '" + words[0] + " " + words[1] + "'");
    std::vector<std::string> options(words.begin() + 2, words.end());
    options.push_back("--json");
    const Args args(options, command->options, command->positionals.size());
    Answer answer = Execute(*command, api, args);
    outcome.json = RenderJson(answer.value);
    outcome.csv = RenderCsv(answer.value);
    outcome.warnings = std::move(answer.warnings);
  } catch (const CommandError& error) {
    outcome.status = error.status;
    outcome.error = error;
    outcome.warnings = error.warnings;
  }
  return outcome;
}

}  // namespace quorbel::commands
