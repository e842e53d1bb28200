// Parsing of "--name value" options, with messages that name the option.
#include <cerrno>
#include <cmath>
#include <algorithm>
#include <functional>
#include <vector>
#include <cstdint>
#include <cstdlib>
#include <cctype>
#include <cstring>

#include "command.h"

namespace quorbel::commands {
namespace {

const Option* FindOption(const std::vector<Option>& known, const std::string& name) {
  for (const Option& option : known)
    if (name == option.name) return &option;
  return nullptr;
}

// Digits with at most one point: a number as a person types it.
bool IsDecimal(const std::string& number) {
  return !number.empty() && number.find_first_not_of("0123456789.") == std::string::npos &&
         number.find('.') == number.rfind('.') && number != ".";
}

std::string Expected(const std::vector<Option>& known, const std::string& name) {
  const Option* option = FindOption(known, name);
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
std::string UnknownOption(const std::vector<Option>& known, const std::string& word) {
  const Option* nearest = nullptr;
  size_t best = word.size() / 3 + 1;
  for (const Option& option : known) {
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

// "95%" as "0.95", "2.5%" as "0.025": the decimal point moved two places in
// the text, so that the number is read exactly as if written as a fraction.
std::string PercentAsFraction(const std::string& option, const std::string& text) {
  const std::string number = text.substr(0, text.size() - 1);
  const size_t point = number.find('.');
  std::string whole = number.substr(0, point), fraction = point == std::string::npos ? "" : number.substr(point + 1);
  if (!IsDecimal(number)) throw UsageError(option, option + " '" + text + "' is not a percentage");
  while (whole.size() < 3) whole.insert(0, "0");
  return whole.substr(0, whole.size() - 2) + "." + whole.substr(whole.size() - 2) + fraction;
}

// "0.95" as "95", "0.975" as "97.5": a level written as a fraction (a point,
// and at most 1) in percent, again by moving the point in the text.
std::string FractionAsPercent(const std::string& text) {
  const size_t point = text.find('.');
  if (!IsDecimal(text) || point == std::string::npos || std::strtod(text.c_str(), nullptr) > 1) return text;
  std::string digits = text.substr(0, point) + text.substr(point + 1);
  std::string fraction = text.substr(point + 1);
  while (fraction.size() < 2) fraction += "0";
  std::string whole = text.substr(0, point) + fraction.substr(0, 2);
  fraction = fraction.substr(2);
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
  return fraction.empty() ? whole : whole + "." + fraction;
}

// A whole number written with a point or an exponent ("100.0", "1e3") as
// plain digits; anything else is left for the reader to refuse.
std::string WholeAsDigits(const std::string& text) {
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) return text;  // already digits
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value) || value != std::floor(value) ||
      std::fabs(value) > INT32_MAX || text.find_first_of(".eE") == std::string::npos)
    return text;
  return std::to_string(static_cast<long long>(value));
}

// The option's text as the commands read it: percentages and fractions put
// into the kind's form, and a choice checked against its words.
std::string Normalized(const Option& option, const std::string& text) {
  switch (option.kind) {
    case OptionKind::kProportion:
      return !text.empty() && text.back() == '%' ? PercentAsFraction(option.name, text) : text;
    case OptionKind::kLevel:
      return WholeAsDigits(!text.empty() && text.back() == '%' ? text.substr(0, text.size() - 1)
                                                               : FractionAsPercent(text));
    case OptionKind::kCount:
      return WholeAsDigits(text);
    case OptionKind::kPopulation:
      return text == "infinite" ? text : WholeAsDigits(text);
    case OptionKind::kChoice: {
      const std::string choices = std::string("|") + option.choices + "|";
      if (choices.find("|" + text + "|") == std::string::npos)
        throw UsageError(option.name, std::string(option.name) + " '" + text + "' must be " + option.allowed);
      return text;
    }
    default:
      return text;
  }
}

}  // namespace

bool KeepsNumberWords(OptionKind kind) {
  switch (kind) {
    case OptionKind::kProportion:
    case OptionKind::kReal:
    case OptionKind::kCount:
    case OptionKind::kPopulation:
      return true;
    default:
      return false;
  }
}

const char* KindName(OptionKind kind) {
  static const char* const kNames[] = {"proportion", "level", "count", "population", "real",
                                       "text", "records", "flag", "choice"};
  return kNames[static_cast<int>(kind)];
}

std::string ArgumentName(const std::string& name) {
  std::string argument = name.rfind("--", 0) == 0 ? name.substr(2) : name;
  for (char& c : argument) c = c == '-' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return argument;
}

CommandError::CommandError(std::string argument, const std::string& message, int status)
    : std::runtime_error(message), status(status), argument(std::move(argument)) {}

Args::Args(const std::vector<std::string>& words, const std::vector<Option>& known, size_t positionals)
    : known_(&known), slots_(known.size()) {
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
      const int at = IndexOf(word.c_str());
      if (at < 0) throw UsageError(word, UnknownOption(known, word));
      const Option& option = known[static_cast<size_t>(at)];
      Slot& slot = slots_[static_cast<size_t>(at)];
      if (slot.given) throw UsageError(word, word + " is given twice");
      slot.given = 1;
      if (option.kind == OptionKind::kFlag) {
        if (joined) throw UsageError(word, word + " takes no value");
        slot.text = "true";
        continue;
      }
      if (!joined) {
        if (i + 1 >= words.size()) throw UsageError(word, word + " needs a value: " + Expected(known, word));
        value = words[++i];
      }
      slot.text = Normalized(option, value);
    } else {
      if (positional_.size() == positionals)
        throw UsageError("", "unexpected word '" + word + "'" +
                                 (positionals == 0 ? ": this command takes only options" : ""));
      positional_.push_back(word);
    }
  }
  Complete();
}

Args::Args(const std::vector<Option>& known, std::vector<std::string> files, std::vector<GivenWord> values)
    : known_(&known), slots_(known.size()), positional_(std::move(files)) {
  for (GivenWord& given : values) {
    const Option* option = given.option;
    const size_t at = PlaceOf(*option);
    if (at >= known.size()) throw std::logic_error("an option of another command");
    if (slots_[at].given) throw UsageError(option->name, std::string(option->name) + " is given twice");
    slots_[at].given = 1;
    Set(at, std::move(given));
  }
  Complete();
}

// A finite number whose word is kept as it is reads back as the number
// itself (the word is its shortest round-trip text), and one given without
// its word gets it only when the word is read (SlotText); any other is read
// from the word when asked for, which refuses what is not a number.
void Args::Set(size_t at, GivenWord given) {
  const Option& option = *given.option;
  Slot& slot = slots_[at];
  slot.wordless = given.text.empty() && std::isfinite(given.number) && KeepsNumberWords(option.kind);
  if (slot.wordless) {
    slot.text.clear();
    slot.number = given.number;
    return;
  }
  std::string text = option.kind == OptionKind::kFlag ? given.text : Normalized(option, given.text);
  slot.number = std::isfinite(given.number) && text == given.text ? given.number : NAN;
  slot.text = std::move(text);
}

void Args::Complete() {
  const std::vector<Option>& known = *known_;
  inEffect_.reserve(known.size());
  for (size_t at = 0; at < known.size(); ++at) {
    const Option& option = known[at];
    Slot& slot = slots_[at];
    if (!slot.given && option.fallback != nullptr) {
      slot.text = option.fallback;
      slot.given = kDefaulted;
    }
    if (!slot.given && !option.optional)
      throw UsageError(option.name, std::string("missing ") + option.name + ": " + option.allowed);
    if (slot.given) inEffect_.push_back(&option);
  }
}

void Args::Replace(const Option& option, const std::string& text, double number) {
  const size_t at = PlaceOf(option);
  if (at >= known_->size() || !slots_[at].given) throw std::logic_error("only a given option is replaced");
  Set(at, GivenWord{&option, text, number});
}

size_t Args::PlaceOf(const Option& option) const {
  const std::less<const Option*> before;  // a total order, for an option of another table too
  const Option* first = known_->data();
  if (before(&option, first) || !before(&option, first + known_->size())) return known_->size();
  return static_cast<size_t>(&option - first);
}

int Args::IndexOf(const char* name) const {
  for (size_t at = 0; at < known_->size(); ++at)  // the same literal is usually the same pointer
    if ((*known_)[at].name == name) return static_cast<int>(at);
  for (size_t at = 0; at < known_->size(); ++at)
    if (std::strcmp((*known_)[at].name, name) == 0) return static_cast<int>(at);
  return -1;
}

const std::string& Args::SlotText(size_t at) const {
  const Slot& slot = slots_[at];
  if (slot.wordless) {
    slot.text = NumberWord(slot.number);
    slot.wordless = false;
  }
  return slot.text;
}

const std::string& Args::TextOf(const Option& option) const {
  const size_t at = PlaceOf(option);
  if (at >= known_->size() || !slots_[at].given) throw std::logic_error("the text of an option not in effect");
  return SlotText(at);
}

bool Args::WholeNumber(const Option& option, long long* whole) const {
  const size_t at = PlaceOf(option);
  if (at >= known_->size() || !slots_[at].wordless) return false;
  const double number = slots_[at].number;
  if (number != std::floor(number) || std::fabs(number) >= 1e15) return false;
  *whole = static_cast<long long>(number);
  return true;
}

bool Args::Has(const char* name) const {
  const int at = IndexOf(name);
  return at >= 0 && slots_[static_cast<size_t>(at)].given;
}

bool Args::Given(const char* name) const {
  const int at = IndexOf(name);
  return at >= 0 && slots_[static_cast<size_t>(at)].given == 1;
}

const std::string& Args::Value(const char* name) const {
  const int at = IndexOf(name);
  if (at < 0 || !slots_[static_cast<size_t>(at)].given)
    throw std::logic_error(std::string("the command reads ") + name + ", which is not given");
  return SlotText(static_cast<size_t>(at));
}

// The option a "what" of the parsers names: "--strata stratum 2 size" is
// about --strata.
std::string OptionOf(const std::string& what) { return what.substr(0, what.find(' ')); }

float ParseFloat(const std::string& text, const std::string& what) {
  char* end = nullptr;
  errno = 0;
  const float value = std::strtof(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || std::isnan(value))
    throw UsageError(OptionOf(what), what + " '" + text + "' is not a number");
  return value;
}

double ParseDouble(const std::string& text, const std::string& what) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(value))
    throw UsageError(OptionOf(what), what + " '" + text + "' is not a number");
  return value;
}

int ParseInt(const std::string& text, const std::string& what) {
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
    throw UsageError(OptionOf(what), what + " '" + text + "' is not a whole number from " + std::to_string(INT32_MIN) +
                                         " to " + std::to_string(INT32_MAX));
  return static_cast<int>(value);
}

float Args::Float(const char* name) const { return ParseFloat(Value(name), name); }

float Args::FloatOr(const char* name, float fallback) const { return Has(name) ? Float(name) : fallback; }

int Args::Int(const char* name) const {
  const int at = IndexOf(name);
  long long whole = 0;
  if (at >= 0 && WholeNumber((*known_)[static_cast<size_t>(at)], &whole) && whole >= INT32_MIN && whole <= INT32_MAX)
    return static_cast<int>(whole);
  return ParseInt(Value(name), name);
}

double Args::Double(const char* name) const {
  const int at = IndexOf(name);
  if (at < 0) return ParseDouble(Value(name), name);  // Value refuses it
  double& cached = slots_[static_cast<size_t>(at)].number;
  if (std::isnan(cached)) cached = ParseDouble(Value(name), name);
  return cached;
}

double Args::DoubleOr(const char* name, double fallback) const { return Has(name) ? Double(name) : fallback; }

double Args::Population(const char* name) const {
  const int at = IndexOf(name);
  if (at >= 0 && slots_[static_cast<size_t>(at)].wordless) return slots_[static_cast<size_t>(at)].number;
  return Value(name) == "infinite" ? HUGE_VAL : Double(name);
}

int Args::IntOr(const char* name, int fallback) const { return Has(name) ? Int(name) : fallback; }

std::vector<std::vector<std::string>> Args::Records(const char* name, size_t fields, size_t most) const {
  most = std::max(most, fields);
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
    if (record.size() < fields || record.size() > most)
      throw UsageError(name, std::string(name) + " record " + std::to_string(records.size() + 1) + " '" +
                                 text.substr(start, comma - start) + "' should have " + std::to_string(fields) +
                                 (most > fields ? " or " + std::to_string(most) : std::string()) +
                                 " fields separated by ':'");
    records.push_back(record);
    start = comma + 1;
  }
  return records;
}

}  // namespace quorbel::commands
