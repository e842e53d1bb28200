// See binding.h.
#include "binding.h"

#include <cmath>
#include <cstdint>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "output.h"

namespace quorbel::commands {

const Option* OptionByArgument(const Command& command, const std::string& argument) {
  for (const Option& option : command.options)
    if (option.argument == argument) return &option;
  return nullptr;
}

namespace {

constexpr size_t kRecentWords = 8;

// The shortest text that reads back as the same double.
std::string ShortestText(double number) {
#if defined(__cpp_lib_to_chars)
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, number);
  if (written.ec == std::errc()) return std::string(text, written.ptr);
#endif
  return DoubleText(number);
}

// The shortest texts of the last few fractional numbers given on this
// thread: a binding called in a loop gives most of its numbers again and
// again, and the shortest text takes longer to find than to look up.
const std::string& RecentShortestText(double number) {
  struct Recent {
    uint64_t bits[kRecentWords] = {};
    std::string text[kRecentWords];
    size_t next = 0;
  };
  thread_local Recent recent;
  uint64_t bits;
  std::memcpy(&bits, &number, sizeof bits);
  for (size_t i = 0; i < kRecentWords; ++i)
    if (recent.bits[i] == bits && !recent.text[i].empty()) return recent.text[i];
  const size_t at = recent.next;
  recent.next = (at + 1) % kRecentWords;
  recent.bits[at] = bits;
  recent.text[at] = ShortestText(number);
  return recent.text[at];
}

}  // namespace

std::string NumberWord(double number) {
  if (std::isinf(number) && number > 0) return "infinite";
  if (number == std::floor(number) && std::fabs(number) < 1e15) return std::to_string(static_cast<long long>(number));
  return RecentShortestText(number);
}

bool Column::Are(Value::Type type) const {
  for (Value::Type t : types)
    if (t != type) return false;
  return true;
}

bool Column::AreNumbers() const {
  for (Value::Type t : types)
    if (t != Value::Type::kInt && t != Value::Type::kFloat && t != Value::Type::kDouble) return false;
  return true;
}

Value Column::At(size_t row) const {
  switch (types[row]) {
    case Value::Type::kBool: return Value::Bool(numbers[row] != 0);
    case Value::Type::kInt: return Value::Int(static_cast<long long>(numbers[row]));
    case Value::Type::kFloat:
    case Value::Type::kDouble: return Value::Double(numbers[row]);
    case Value::Type::kString: return Value::String(texts[row]);
    default: return Value();
  }
}

void Columns::Put(size_t at, const Value& value) {
  Column& column = columns_[at];
  column.types.push_back(value.type);
  const bool number = value.type == Value::Type::kInt || value.type == Value::Type::kFloat ||
                      value.type == Value::Type::kDouble;
  column.numbers.push_back(number ? AnswerNumber(value) : value.type == Value::Type::kBool ? value.boolean : 0.0);
  if (value.type == Value::Type::kString && column.texts.empty()) column.texts.resize(rows_);
  if (!column.texts.empty()) column.texts.push_back(value.type == Value::Type::kString ? value.text : std::string());
}

// An answer of the first's shape (its scalars named in the same order) goes
// cell by cell into the columns in order; false, with nothing added, for
// any other.
bool Columns::AddLikeTheFirst(const Value& answer) {
  if (rows_ == 0 || names_.size() != columns_.size()) return false;
  size_t at = 0;
  bool same = true;
  ForEachScalar(answer, [&](const std::string& name, const Value& value) {
    same = same && at < names_.size() && names_[at] == name;
    if (same) Put(at++, value);
  });
  if (same && at == names_.size()) {
    ++rows_;
    return true;
  }
  for (size_t c = 0; c < at; ++c) {  // another shape: the cells put so far are taken back
    columns_[c].types.pop_back();
    columns_[c].numbers.pop_back();
    if (!columns_[c].texts.empty()) columns_[c].texts.pop_back();
  }
  return false;
}

void Columns::Add(const Value& answer) {
  if (AddLikeTheFirst(answer)) return;
  const bool first = rows_ == 0;
  if (!first) names_.clear();
  else ForEachScalar(answer, [&](const std::string& name, const Value&) { names_.push_back(name); });
  const auto record = FlattenScalars(answer);
  size_t at = 0;
  for (const auto& [key, value] : record) {
    // Answers of one command share their keys in order: the column is
    // usually the next one; else it is found, or added with nulls above.
    if (at >= columns_.size() || columns_[at].key != key) {
      at = 0;
      while (at < columns_.size() && columns_[at].key != key) ++at;
      if (at == columns_.size()) {
        columns_.push_back({key, std::vector<Value::Type>(rows_, Value::Type::kNull), std::vector<double>(rows_), {}});
        columns_.back().types.reserve(expected_);
        columns_.back().numbers.reserve(expected_);
      }
    }
    Put(at++, value);
  }
  ++rows_;
  for (size_t c = 0; c < columns_.size(); ++c)
    if (columns_[c].types.size() < rows_) Put(c, Value());
}

namespace {

// The word of a given value; NaN is refused with the option's name.
std::string WordOfGiven(const Option& option, const Given& given) {
  if (given.type == Given::Type::kFlag) return given.flag ? "true" : "";
  if (given.type == Given::Type::kText) return given.text;
  if (std::isnan(given.number)) throw CommandError(option.name, option.argument + " is not a number");
  return NumberWord(given.number);
}

double NumberOfGiven(const Given& given) { return given.type == Given::Type::kNumber ? given.number : NAN; }

// The words of the options; a finite number whose word its kind keeps as
// it is goes without it (see GivenWord).
void AddWords(const GivenOptions& options, std::vector<GivenWord>* words) {
  for (const auto& [option, given] : options) {
    if (given.type == Given::Type::kFlag && !given.flag) continue;
    if (given.type == Given::Type::kNumber && std::isfinite(given.number) && KeepsNumberWords(option->kind))
      words->push_back(GivenWord{option, std::string(), given.number});
    else
      words->push_back(GivenWord{option, WordOfGiven(*option, given), NumberOfGiven(given)});
  }
}

}  // namespace

// The files a command takes, refused when more are given.
const std::vector<std::string>& Files(const Command& command, const std::vector<std::string>& files) {
  if (files.size() > command.positionals.size())
    throw CommandError("", "unexpected file '" + files[command.positionals.size()] + "'");
  return files;
}

Answer RunGiven(const host::Api& api, const Command& command, const std::vector<std::string>& files,
                const GivenOptions& options) {
  std::vector<GivenWord> words;
  words.reserve(options.size());
  AddWords(options, &words);
  const Args args(command.options, Files(command, files), std::move(words));
  return Execute(command, api, args);
}

Answer GivenRunner::Run(const GivenOptions& changing) {
  // A flag that changes may come and go, which the arguments read once
  // cannot follow: such runs read all their words.
  bool flags = false;
  for (const auto& entry : changing) flags |= entry.second.type == Given::Type::kFlag;
  if (args_ == nullptr || flags) {
    std::vector<GivenWord> words;
    words.reserve(fixed_.size() + changing.size());
    AddWords(fixed_, &words);
    AddWords(changing, &words);
    auto args = std::make_unique<Args>(command_.options, Files(command_, files_), std::move(words));
    if (flags) return Execute(command_, api_, *args);
    args_ = std::move(args);
  } else {
    for (const auto& [option, given] : changing)
      args_->Replace(*option, WordOfGiven(*option, given), NumberOfGiven(given));
  }
  return Execute(command_, api_, *args_);
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
  if (value.number != std::floor(value.number)) return false;  // a point in any case
  // Whole numbers below these are written in digits (a double's 15, a
  // float's 6); above, the text decides (1e+06 reads back as a float).
  if (std::fabs(value.number) < (value.type == Value::Type::kDouble ? 1e15 : 1e6)) return true;
  return ScalarText(value).find_first_not_of("-0123456789") == std::string::npos;
}

}  // namespace quorbel::commands
