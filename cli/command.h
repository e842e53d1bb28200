// The command-line host's building blocks: parsed arguments, the table of
// commands, and the way a rejected argument is reported.
#ifndef QUORBEL_CLI_COMMAND_H
#define QUORBEL_CLI_COMMAND_H

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "api.h"

namespace quorbel::cli {

// A command line that cannot be run: the message names the argument.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What each option of a command means, for --help and for error messages.
struct OptionHelp {
  const char* name;     // "--prevalence"
  const char* allowed;  // "a proportion, 0.000001 <= value < 1"
  bool optional = false;
};

// The options of one invocation: "--name value" pairs, flags and positionals.
class Args {
 public:
  // `positionals`: how many words that are not options the command takes;
  // more is an error, as are unknown and repeated options. "--name=value"
  // works as "--name value".
  Args(const std::vector<std::string>& words, const std::vector<OptionHelp>& known, size_t positionals = 0);
  float Float(const char* name) const;
  float FloatOr(const char* name, float fallback) const;
  int Int(const char* name) const;
  double Double(const char* name) const;
  double DoubleOr(const char* name, double fallback) const;
  // A population: a whole number, or "infinite" (given back as infinity).
  double Population(const char* name) const;
  int IntOr(const char* name, int fallback) const;
  bool Has(const char* name) const { return values_.count(name) != 0; }
  const std::string& Text(const char* name) const { return Value(name); }
  // A comma-separated list of colon-separated fields: "1000:0.3,2000:0.1".
  std::vector<std::vector<std::string>> Records(const char* name, size_t fields) const;
  bool json() const { return json_; }  // also under --csv, whose table is made from the JSON
  bool csv() const { return csv_; }
  const std::vector<std::string>& positional() const { return positional_; }

 private:
  const std::string& Value(const char* name) const;
  std::map<std::string, std::string> values_;
  std::vector<std::string> positional_;
  bool json_ = false, csv_ = false;
};

// The value an option takes when it is not given (--confidence 95, --power
// 80), or null.
const char* DefaultOf(const std::string& option);

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

struct Command {
  const char* family;   // "sample-size"
  const char* name;     // "simple-random"
  const char* summary;  // one line for --help
  std::vector<OptionHelp> options;
  std::vector<CodeBlame> blames;
  // Runs the command; returns the library's result code.
  QuorbelResult (*run)(const host::Api& api, const Args& args);
  std::vector<const char*> positionals = {};  // "LIST", "OUT", "FILE", in order
};

// The command of that family and name, or null.
const Command* FindCommand(const std::string& family, const std::string& name);

// What the tool says when the library rejects an argument with `code`.
std::string RejectionText(const Command& command, QuorbelResult code);

// The commands as JSON, for the bindings' generators, the page and the
// coverage tests: family, name, summary, positionals, options (name,
// allowed, optional, default) and the guide of --help (group, question,
// notes, example words, example list).
std::string CommandTableJson();

// Runs "FAMILY COMMAND [words...]" in this process with --json, as the
// bindings do: the JSON into *json, or what the tool would say into *message.
// Returns the tool's exit status (0, 1 for a rejected argument, 2 for words
// that cannot run).
int RunForJson(const host::Api& api, const std::vector<std::string>& words, std::string* json, std::string* message);

// Every command, family by family.
const std::vector<Command>& Commands();
void AddPrevalenceCommands(std::vector<Command>& commands);
void AddComparisonCommands(std::vector<Command>& commands);
void AddDetectionCommands(std::vector<Command>& commands);
void AddListCommands(std::vector<Command>& commands);
void AddExactCommands(std::vector<Command>& commands);

// The population ladder of the sample-size tables, as the library uses it.
inline constexpr int kLadder[QUORBEL_LADDER_SIZES] = {50,   100,  150,  200,  300,  400,  500, 750,
                                                      1000, 1500, 2000, 3500, 5000, 7500, 10000};

// Option texts several commands share.
inline constexpr const char* kConfidenceText = "a whole percentage, 90 to 99";

// Prints a sample-size table by population: the caller's, the ladder and an
// infinite population (as a table, or as JSON under --json).
void PrintLadderTable(const Args& args, int population, int32_t callers, const int32_t* ladder, int32_t infinite);

// Text of a result code, for messages.
std::string CodeText(QuorbelResult code);

}  // namespace quorbel::cli

#endif
