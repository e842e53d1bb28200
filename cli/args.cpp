// Parsing of "--name value" options, with messages that name the option.
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "command.h"

namespace quorbel::cli {
namespace {

const OptionHelp* FindOption(const std::vector<OptionHelp>& known, const std::string& name) {
  for (const OptionHelp& option : known)
    if (name == option.name) return &option;
  return nullptr;
}

std::string Expected(const std::vector<OptionHelp>& known, const std::string& name) {
  const OptionHelp* option = FindOption(known, name);
  return option != nullptr ? option->allowed : "a value";
}

}  // namespace

Args::Args(const std::vector<std::string>& words, const std::vector<OptionHelp>& known) {
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--json") {
      json_ = true;
    } else if (word.rfind("--", 0) == 0) {
      if (FindOption(known, word) == nullptr) throw UsageError("unknown option " + word);
      if (i + 1 >= words.size())
        throw UsageError(word + " needs a value: " + Expected(known, word));
      values_[word] = words[++i];
    } else {
      positional_.push_back(word);
    }
  }
  for (const OptionHelp& option : known)
    if (!option.optional && values_.count(option.name) == 0)
      throw UsageError(std::string("missing ") + option.name + ": " + option.allowed);
}

const std::string& Args::Value(const char* name) const { return values_.at(name); }

float Args::Float(const char* name) const {
  const std::string& text = Value(name);
  char* end = nullptr;
  errno = 0;
  const float value = std::strtof(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || std::isnan(value))
    throw UsageError(std::string(name) + " '" + text + "' is not a number");
  return value;
}

float Args::FloatOr(const char* name, float fallback) const { return Has(name) ? Float(name) : fallback; }

int Args::Int(const char* name) const {
  const std::string& text = Value(name);
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
    throw UsageError(std::string(name) + " '" + text + "' is not a whole number in the 32-bit range");
  return static_cast<int>(value);
}

int Args::IntOr(const char* name, int fallback) const { return Has(name) ? Int(name) : fallback; }

}  // namespace quorbel::cli
