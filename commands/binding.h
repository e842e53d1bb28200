// The commands as the bindings call them: arguments by the bindings' names
// with typed values, one call or a whole vector of calls, answers as values.
#ifndef QUORBEL_COMMANDS_BINDING_H
#define QUORBEL_COMMANDS_BINDING_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "command.h"

namespace quorbel::commands {

// A value a binding gives for an option: a number (infinity for an infinite
// population), a text, or a flag.
struct Given {
  enum class Type { kNumber, kText, kFlag };
  Type type = Type::kText;
  double number = 0;
  std::string text;
  bool flag = false;

  static Given Number(double n) {
    Given g;
    g.type = Type::kNumber;
    g.number = n;
    return g;
  }
  static Given Text(std::string t) {
    Given g;
    g.text = std::move(t);
    return g;
  }
  static Given Flag(bool f) {
    Given g;
    g.type = Type::kFlag;
    g.flag = f;
    return g;
  }
};

using GivenOptions = std::vector<std::pair<const Option*, Given>>;

// The option of a command that a binding names `argument` (positive_at), or
// null.
const Option* OptionByArgument(const Command& command, const std::string& argument);

// Runs a command from the files and options a binding gives: numbers are
// written with the fewest digits that read back as the same double (so 0.3
// is read as a person types 0.3, and 100.0 as 100), infinity as "infinite",
// a false flag is left out. Throws CommandError as Execute does.
Answer RunGiven(const host::Api& api, const Command& command, const std::vector<std::string>& files,
                const GivenOptions& options);

// One field of the answers of a vector of calls, a cell per answer; a key
// that an answer lacks is null there.
struct Column {
  std::string key;                  // dotted, as the CSV names its columns
  std::vector<Value::Type> types;   // of each cell
  std::vector<double> numbers;      // AnswerNumber of a number, or 0
  std::vector<std::string> texts;   // the text of a string; empty while the column has none
  bool Are(Value::Type type) const;  // every cell of that type
  bool AreNumbers() const;           // every cell an integer, float or double
  Value At(size_t row) const;
};

// The answers of a vector of calls as columns, a record per answer: each
// answer's scalars by dotted keys (FlattenScalars).
class Columns {
 public:
  explicit Columns(size_t expected) : expected_(expected) {}
  void Add(const Value& answer);
  const std::vector<Column>& columns() const { return columns_; }

 private:
  void Put(size_t column, const Value& value);
  bool AddLikeTheFirst(const Value& answer);
  size_t expected_, rows_ = 0;
  std::vector<Column> columns_;
  std::vector<std::string> names_;  // the last part of each column's key, while every answer has the first's shape
};

// A command run many times by a binding, with the same files and fixed
// options and other options that change from run to run: the arguments are
// read once, and each run reads only the options that change.
class GivenRunner {
 public:
  GivenRunner(const host::Api& api, const Command& command, std::vector<std::string> files, GivenOptions fixed)
      : api_(api), command_(command), files_(std::move(files)), fixed_(std::move(fixed)) {}
  // Throws CommandError as Execute does.
  Answer Run(const GivenOptions& changing);

 private:
  const host::Api& api_;
  const Command& command_;
  std::vector<std::string> files_;
  GivenOptions fixed_;
  std::unique_ptr<Args> args_;  // read on the first run
};

// A number of an answer as its JSON reads back: a held float by the
// shortest text of the float, so that every front end gives the same double.
double AnswerNumber(const Value& value);

// Whether the JSON of a number is a whole number without a point (95, not
// 95.5): a JSON reader gives it as an integer, and so do the bindings.
bool IsWholeInJson(const Value& value);

}  // namespace quorbel::commands

#endif
