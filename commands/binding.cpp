// See binding.h.
#include "binding.h"

#include <cmath>
#include <cstdlib>

#include "output.h"

namespace quorbel::commands {

const Option* OptionByArgument(const Command& command, const std::string& argument) {
  for (const Option& option : command.options)
    if (ArgumentName(option.name) == argument) return &option;
  return nullptr;
}

namespace {

std::string WordOf(double number) {
  if (std::isinf(number) && number > 0) return "infinite";
  return DoubleText(number);
}

}  // namespace

Answer RunGiven(const host::Api& api, const Command& command, const std::vector<std::string>& files,
                const GivenOptions& options) {
  std::vector<std::string> words(files);
  for (const auto& [option, given] : options) {
    if (given.type == Given::Type::kFlag) {
      if (given.flag) words.push_back(option->name);
      continue;
    }
    if (given.type == Given::Type::kNumber && std::isnan(given.number))
      throw CommandError(option->name, ArgumentName(option->name) + " is not a number");
    words.push_back(option->name);
    words.push_back(given.type == Given::Type::kNumber ? WordOf(given.number) : given.text);
  }
  words.push_back("--json");
  const Args args(words, command.options, command.positionals.size());
  return Execute(command, api, args);
}

double AnswerNumber(const Value& value) {
  switch (value.type) {
    case Value::Type::kFloat: return std::strtod(FloatText(static_cast<float>(value.number)).c_str(), nullptr);
    case Value::Type::kInt: return static_cast<double>(value.integer);
    default: return value.number;
  }
}

bool IsWholeInJson(const Value& value) {
  if (value.type == Value::Type::kInt) return true;
  if (value.type != Value::Type::kFloat && value.type != Value::Type::kDouble) return false;
  return ScalarText(value).find_first_not_of("-0123456789") == std::string::npos;
}

}  // namespace quorbel::commands
