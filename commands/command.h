// The commands library: the typed table of commands, the reading of their
// arguments, and the structured errors and warnings every front end (the
// program, the Python and R packages, the page) receives.
#ifndef QUORBEL_COMMANDS_COMMAND_H
#define QUORBEL_COMMANDS_COMMAND_H

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "api.h"
#include "value.h"

namespace quorbel::commands {

// What an option holds; reading, help, the settings, the bindings and the
// page's forms all follow the kind, never the option's name.
enum class OptionKind {
  kProportion,  // 0.3 or 30%
  kLevel,       // a percentage: 95, 95% or 0.95
  kCount,       // a whole number; 100.0 is 100
  kPopulation,  // a whole number, or "infinite"
  kReal,        // any finite number
  kText,        // words, read by the command
  kRecords,     // a:b,c:d
  kFlag,        // no value
  kChoice,      // one of the words of `choices`
};

// The kind's name as the command table gives it to the front ends.
const char* KindName(OptionKind kind);

struct Option {
  const char* name;     // "--prevalence"
  OptionKind kind;
  const char* allowed;  // "a proportion, 0.000001 <= value < 1"
  bool optional = false;
  const char* fallback = nullptr;  // the value taken when the option is not given
  const char* choices = nullptr;   // kChoice: "parallel|serial"
  const char* label = nullptr;     // "Prevalence", as forms show it (filled by FillLabels)
  const char* unit = nullptr;      // "proportion", "animals", "%"
  std::string argument = {};       // "positive_at": ArgumentName(name), filled by FillLabels
};

// Gives an option its argument name and, without its own label and unit,
// those of its name; and a command's file (FILE, LIST, OUT) its label and
// unit.
void FillLabels(Option& option);
struct FileLabel {
  const char* label;
  const char* unit;
};
FileLabel LabelOfFile(const char* positional);

// The name of an option or file in the bindings: "--positive-at" is
// positive_at, "LIST" is list.
std::string ArgumentName(const std::string& name);

// Something a person should know about an answer that is not an error.
struct Warning {
  std::string kind;     // "level-at-1.96", "design-short-of-sensitivity", ...
  std::string message;  // a sentence, as the tool prints it
  int line = -1;        // a list line, when it is about one
};

// A command that cannot run, or whose argument the library rejected: the
// result code (0 when the words themselves are at fault) and its name, the
// argument as the front end spells it on the command line, what it allows,
// and for a list file the line and field at fault (-1 when none).
struct CommandError : std::runtime_error {
  CommandError(std::string argument, const std::string& message, int status = 2);
  int status;                 // 1 rejected by the library, 2 words that cannot run
  QuorbelResult code = 0;
  std::string argument;       // "--prevalence", "LIST", or "" for the whole command line
  std::string allowed;
  int line = -1, field = -1;
  std::vector<Warning> warnings;  // what was found before the failure
};

// Words that cannot run (status 2), naming the argument at fault.
using UsageError = CommandError;

// Adds a warning to the answer being computed on this thread.
void Warn(const std::string& kind, const std::string& message, int line = -1);

// Adds a value a command derives from its arguments (the relative
// precision of an absolute one) to the settings of the answer being
// computed on this thread.
void SetInEffect(const std::string& argument, Value value);

// A value a binding gives an option, as its word, and the number it reads
// as when it was given as a number (NaN otherwise): a number whose word the
// option's kind keeps as it is need not be read back from the word. A
// finite number of such a kind may come without its word (text empty): the
// word is then made only if something asks for it.
struct GivenWord {
  const Option* option;
  std::string text;
  double number = NAN;
};

// The word a person would type for a number: a whole number in digits
// (below 1e15), infinity as "infinite", any other by its shortest text.
std::string NumberWord(double number);

// Whether the kind reads every finite number's word as the number itself,
// unchanged (proportions, reals, counts, populations; not levels, which
// read 0.95 as 95, nor choices, which check the word).
bool KeepsNumberWords(OptionKind kind);

// The options of one invocation, read by kind: proportions given as
// percentages become fractions, levels given as fractions percentages,
// whole numbers written 100.0 plain; defaults of the table are filled in.
class Args {
 public:
  // `positionals`: how many words that are not options the command takes;
  // more is an error, as are unknown and repeated options. "--name=value"
  // works as "--name value".
  Args(const std::vector<std::string>& words, const std::vector<Option>& known, size_t positionals = 0);
  // The same from values already paired with their options (the bindings'
  // way, without words): each read by its kind, defaults filled in.
  Args(const std::vector<Option>& known, std::vector<std::string> files, std::vector<GivenWord> values);
  float Float(const char* name) const;
  float FloatOr(const char* name, float fallback) const;
  int Int(const char* name) const;
  double Double(const char* name) const;
  double DoubleOr(const char* name, double fallback) const;
  // A population: a number, or "infinite" (given back as infinity); the
  // exact layer, which takes it, checks that it is whole and in range.
  double Population(const char* name) const;
  int IntOr(const char* name, int fallback) const;
  bool Has(const char* name) const;    // given, or taken by default
  bool Given(const char* name) const;  // given in the words (or by the binding)
  const std::string& Text(const char* name) const { return Value(name); }
  // A comma-separated list of colon-separated fields: "1000:0.3,2000:0.1";
  // each record has `fields` fields, or up to `most`.
  std::vector<std::vector<std::string>> Records(const char* name, size_t fields, size_t most = 0) const;
  bool json() const { return json_; }  // also under --csv
  bool csv() const { return csv_; }
  const std::vector<std::string>& positional() const { return positional_; }
  // Every option in effect (given or taken by default), in the table's
  // order, and the text of each.
  const std::vector<const Option*>& inEffect() const { return inEffect_; }
  const std::string& TextOf(const Option& option) const;
  // The option's value when it was given as a whole number below 1e15
  // without its word: the number its word would read as, unread.
  bool WholeNumber(const Option& option, long long* whole) const;
  // Gives an option that has a value another one, read by its kind: for a
  // command run many times with only some options changing.
  void Replace(const Option& option, const std::string& text, double number = NAN);

 private:
  const std::string& Value(const char* name) const;
  // The option of that name's place among the command's options, or -1.
  int IndexOf(const char* name) const;
  // The option's place among the command's options; their count for an
  // option of another table.
  size_t PlaceOf(const Option& option) const;
  // Fills in the defaults, refuses a missing option, lists those in effect.
  void Complete();
  // Gives option `at` its value, read by its kind (see GivenWord).
  void Set(size_t at, GivenWord given);
  const std::vector<Option>* known_;
  static constexpr char kDefaulted = 2;
  // An option's value, by the option's place: one vector, so that a run
  // of the bindings makes one allocation for all of them.
  struct Slot {
    mutable std::string text;
    char given = 0;                // the option has a value: 1 its own, kDefaulted its default
    mutable bool wordless = false;  // a number given without its word, which is made when asked for
    mutable double number = NAN;   // the text read as a double, once; NaN until then
  };
  const std::string& SlotText(size_t at) const;
  std::vector<Slot> slots_;
  std::vector<const Option*> inEffect_;
  std::vector<std::string> positional_;
  bool json_ = false, csv_ = false;
};

// Numbers read from text; the message names `what` when the text is not one.
float ParseFloat(const std::string& text, const std::string& what);
double ParseDouble(const std::string& text, const std::string& what);
int ParseInt(const std::string& text, const std::string& what);

// Which argument a result code blames, and what that argument allows.
struct CodeBlame {
  QuorbelResult code;
  const char* argument;
  const char* allowed;
};

// How a command turns its confidence level into a normal quantile: the
// library's classic rule (1.645 at 90, 2.576 at 99, 1.96 from 91 to 98), the
// exact quantile, or not at all (the level is a probability).
enum class ZRule { kNone, kClassic, kExact };

struct Command {
  const char* family;   // "sample-size"
  const char* name;     // "simple-random"
  const char* summary;  // one line for --help
  std::vector<Option> options;
  std::vector<CodeBlame> blames;
  // Computes the answer and delivers it as a value; returns the library's
  // result code.
  QuorbelResult (*run)(const host::Api& api, const Args& args);
  // The text renderer: the answer, its settings included, for people.
  std::string (*text)(const Value& answer);
  std::vector<const char*> positionals = {};  // "LIST", "OUT", "FILE", in order
  ZRule z = ZRule::kNone;
  Value defaults = {};  // the options' defaults by argument name, typed; made with the table
};

// The command of that family and name, or null.
const Command* FindCommand(const std::string& family, const std::string& name);

// The error the tool reports when the library rejects an argument with `code`.
CommandError Rejection(const Command& command, QuorbelResult code);
// The same for an argument and its allowed values named by the caller.
CommandError Rejection(const char* argument, const char* allowed, QuorbelResult code);

// The name of a command's function in the bindings: sample_size_simple_random.
std::string FunctionName(const Command& command);

// The commands as JSON, for the bindings' generators, the page and the
// coverage tests: family, name, function, summary, positionals, options (name,
// argument, kind, label, unit, allowed, bindingAllowed (with the bindings'
// names), optional, default, choices), files (name, label, unit), method,
// reference, returns, and the guide of
// --help (group, question, notes, example words, example list).
std::string CommandTableJson();

// One run of a command: its answer as a value with "settings" and
// "warnings" added, and the warnings themselves; Command::text draws it for
// people. Throws CommandError when the words
// cannot run (status 2) or the library rejects an argument (status 1).
struct Answer {
  Value value;
  std::vector<Warning> warnings;
};
Answer Execute(const Command& command, const host::Api& api, const Args& args);

// The settings of a run: every option in effect by its argument name, typed
// by kind, and the values `derived` from them; "defaults", the table's
// defaults; and "z", the normal quantile its level is computed at, for
// commands that use one.
Value Settings(const Command& command, const Args& args, const Value* derived = nullptr);

// The defaults of options by argument name, typed by kind (Command::defaults).
Value DefaultsValue(const std::vector<Option>& options);

// The settings line the text renderer prints above an answer: the options
// that have defaults, with their values, and the z used; "" when none.
std::string SettingsLine(const Command& command, const Args& args);

// Warnings as a list of {kind, message, line}, and an error as an object
// for the bindings and the page: message (with the arguments as they spell
// them, positive_at and list for --positive-at and LIST, and without the
// result code, which has fields of its own), toolMessage (as the program
// prints it), status, code, codeName, argument (as the bindings spell it),
// option (as the program does), allowed, line and field (null where they do
// not apply).
Value WarningsValue(const std::vector<Warning>& warnings);
Value ErrorValue(const CommandError& error);
std::string ErrorJson(const CommandError& error);

// A message with the program's option and file names (--positive-at, LIST)
// as the bindings spell them (positive_at, list), and its closing result
// code left out.
std::string BindingText(const std::string& text);

// Runs "FAMILY COMMAND [words...]" in this process for its answer, as the
// bindings and the page do: status 0 with the answer as JSON and CSV, or
// the tool's exit status (1 a rejected argument, 2 words that cannot run)
// with the error.
struct Outcome {
  int status = 0;
  std::string json, csv;
  CommandError error{"", ""};
  std::vector<Warning> warnings;
};
Outcome RunForJson(const host::Api& api, const std::vector<std::string>& words);

// Every command, family by family.
const std::vector<Command>& Commands();
void AddPrevalenceCommands(std::vector<Command>& commands);
void AddComparisonCommands(std::vector<Command>& commands);
void AddDetectionCommands(std::vector<Command>& commands);
void AddListCommands(std::vector<Command>& commands);
void AddStratifiedSelectionCommand(std::vector<Command>& commands);
void AddExactCommands(std::vector<Command>& commands);
void AddTestSizeCommands(std::vector<Command>& commands);
void AddBayesCommands(std::vector<Command>& commands);
void AddWeightedCommands(std::vector<Command>& commands);
void AddFreedomCommands(std::vector<Command>& commands);
void AddFreedomTwoStageCommand(std::vector<Command>& commands);

// Option texts several commands share.
inline constexpr const char* kConfidenceText = "a whole percentage, 90 to 99";

// A sample-size table by population: the caller's, the ladder and an
// infinite population, delivered as the answer; and its text.
void DeliverLadder(int population, int32_t callers, const int32_t* ladder, int32_t infinite);
std::string LadderText(const Value& answer);

// Text of a result code, for messages, and its name alone.
std::string CodeText(QuorbelResult code);
std::string CodeName(QuorbelResult code);

}  // namespace quorbel::commands

#endif
