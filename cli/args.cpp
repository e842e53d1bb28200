// Parsing of "--name value" options, with messages that name the option.
#include <cerrno>
#include <cmath>
#include <algorithm>
#include <vector>
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

// Edits (insertions, deletions, substitutions) that turn a into b.
size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// "unknown option --populaton; did you mean --population?" when an option is
// within a third of its length of the word.
std::string UnknownOption(const std::vector<OptionHelp>& known, const std::string& word) {
  const OptionHelp* nearest = nullptr;
  size_t best = word.size() / 3 + 1;
  for (const OptionHelp& option : known) {
    const size_t distance = EditDistance(word, option.name);
    if (distance < best) {
      best = distance;
      nearest = &option;
    }
  }
  std::string message = "unknown option " + word;
  if (nearest != nullptr) message += std::string("; did you mean ") + nearest->name + "?";
  return message;
}

// Options that hold a proportion; they also take a percentage, "95%".
bool IsProportionOption(const std::string& name) {
  for (const char* word : {"prevalence", "precision", "sensitivity", "specificity", "--p1", "--p2", "--apparent",
                           "--false-positive-risk"})
    if (name.find(word) != std::string::npos) return name != "--herd-sensitivity";
  return false;
}

// "95%" as "0.95", "2.5%" as "0.025": the decimal point moved two places in
// the text, so that the number is read exactly as if written as a fraction.
std::string PercentAsFraction(const std::string& option, const std::string& text) {
  const std::string number = text.substr(0, text.size() - 1);
  const size_t point = number.find('.');
  std::string whole = number.substr(0, point), fraction = point == std::string::npos ? "" : number.substr(point + 1);
  const bool digits = !number.empty() && number.find_first_not_of("0123456789.") == std::string::npos &&
                      number.find('.') == number.rfind('.') && number != ".";
  if (!digits) throw UsageError(option + " '" + text + "' is not a percentage");
  while (whole.size() < 3) whole.insert(0, "0");
  return whole.substr(0, whole.size() - 2) + "." + whole.substr(whole.size() - 2) + fraction;
}

}  // namespace

const char* DefaultOf(const std::string& option) {
  if (option == "--confidence") return "95";
  if (option == "--power") return "80";
  return nullptr;
}

Args::Args(const std::vector<std::string>& words, const std::vector<OptionHelp>& known, size_t positionals) {
  for (size_t i = 0; i < words.size(); ++i) {
    std::string word = words[i];
    if (word == "--json") {
      json_ = true;
    } else if (word == "--csv") {
      json_ = csv_ = true;
    } else if (word.rfind("--", 0) == 0) {
      std::string value;
      const size_t equals = word.find('=');
      const bool joined = equals != std::string::npos;  // --option=value
      if (joined) {
        value = word.substr(equals + 1);
        word = word.substr(0, equals);
      }
      if (FindOption(known, word) == nullptr) throw UsageError(UnknownOption(known, word));
      if (values_.count(word) != 0) throw UsageError(word + " is given twice");
      if (word == "--force") {  // a flag: no value
        if (joined) throw UsageError("--force takes no value");
        values_[word] = "yes";
        continue;
      }
      if (!joined) {
        if (i + 1 >= words.size()) throw UsageError(word + " needs a value: " + Expected(known, word));
        value = words[++i];
      }
      if (IsProportionOption(word) && !value.empty() && value.back() == '%') value = PercentAsFraction(word, value);
      values_[word] = value;
    } else {
      if (positional_.size() == positionals)
        throw UsageError("unexpected word '" + word + "'" +
                         (positionals == 0 ? ": this command takes only options" : ""));
      positional_.push_back(word);
    }
  }
  for (const OptionHelp& option : known)
    if (values_.count(option.name) == 0 && DefaultOf(option.name) != nullptr) values_[option.name] = DefaultOf(option.name);
  for (const OptionHelp& option : known)
    if (!option.optional && values_.count(option.name) == 0)
      throw UsageError(std::string("missing ") + option.name + ": " + option.allowed);
}

const std::string& Args::Value(const char* name) const { return values_.at(name); }

float ParseFloat(const std::string& text, const std::string& what) {
  char* end = nullptr;
  errno = 0;
  const float value = std::strtof(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || std::isnan(value))
    throw UsageError(what + " '" + text + "' is not a number");
  return value;
}

double ParseDouble(const std::string& text, const std::string& what) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(value))
    throw UsageError(what + " '" + text + "' is not a number");
  return value;
}

int ParseInt(const std::string& text, const std::string& what) {
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
    throw UsageError(what + " '" + text + "' is not a whole number in the 32-bit range");
  return static_cast<int>(value);
}

float Args::Float(const char* name) const { return ParseFloat(Value(name), name); }

float Args::FloatOr(const char* name, float fallback) const { return Has(name) ? Float(name) : fallback; }

int Args::Int(const char* name) const { return ParseInt(Value(name), name); }

double Args::Double(const char* name) const { return ParseDouble(Value(name), name); }

double Args::DoubleOr(const char* name, double fallback) const { return Has(name) ? Double(name) : fallback; }

double Args::Population(const char* name) const {
  if (Value(name) == "infinite") return HUGE_VAL;
  const double value = Double(name);
  if (!(value >= 1 && value <= 2147483647.0) || value != std::floor(value))
    throw UsageError(std::string(name) + " '" + Value(name) + "' must be a whole number from 1 to 2147483647, or infinite");
  return value;
}

int Args::IntOr(const char* name, int fallback) const { return Has(name) ? Int(name) : fallback; }

std::vector<std::vector<std::string>> Args::Records(const char* name, size_t fields) const {
  std::vector<std::vector<std::string>> records;
  const std::string& text = Value(name);
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = std::min(text.find(',', start), text.size());
    std::vector<std::string> record;
    size_t from = start;
    while (true) {
      const size_t colon = std::min(text.find(':', from), comma);
      record.push_back(text.substr(from, colon - from));
      if (colon == comma) break;
      from = colon + 1;
    }
    if (record.size() != fields)
      throw UsageError(std::string(name) + " '" + text.substr(start, comma - start) + "' should have " +
                       std::to_string(fields) + " fields separated by ':'");
    records.push_back(record);
    start = comma + 1;
  }
  return records;
}

}  // namespace quorbel::cli
