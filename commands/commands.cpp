// The table of every command, and the text of result codes.

#include "command.h"
#include "list_check.h"
#include "output.h"
#include "prevalence/finite_population.h"

namespace quorbel::commands {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = [] {
    std::vector<Command> all;
    AddPrevalenceCommands(all);
    AddComparisonCommands(all);
    AddDetectionCommands(all);
    AddListCommands(all);
    AddExactCommands(all);
    AddTestSizeCommands(all);
    AddBayesCommands(all);
    AddWeightedCommands(all);
    AddFreedomCommands(all);
    for (Command& command : all) {
      // Every command that reads a list takes the list's separator.
      if (!command.positionals.empty()) command.options.push_back(kSeparatorOption);
      for (Option& option : command.options) FillLabels(option);
      command.defaults = DefaultsValue(command.options);
    }
    return all;
  }();
  return commands;
}

namespace {

struct NamedCode {
  QuorbelResult code;
  const char* name;
  const char* meaning;
};

// Every result code of the public headers, derived from them by the build.
constexpr NamedCode kCodeNames[] = {
#include "result-codes.inc"
};

}  // namespace

std::string CodeText(QuorbelResult code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  for (const NamedCode& entry : kCodeNames)
    if (entry.code == code) return std::string(text) + ", " + entry.name + ": " + entry.meaning;
  return text;
}

std::string CodeName(QuorbelResult code) {
  for (const NamedCode& entry : kCodeNames)
    if (entry.code == code) return entry.name;
  return "";
}

void DeliverLadder(int population, int32_t callers, const int32_t* ladder, int32_t infinite) {
  ValueBuilder json;
  json.Begin().Begin("population").Int("size", population).Int("sampleSize", callers).End().BeginArray("ladder");
  for (int i = 0; i < QUORBEL_LADDER_SIZES; ++i)
    json.Begin().Int("population", kPopulationLadder[i]).Int("sampleSize", ladder[i]).End();
  json.EndArray().Int("infinitePopulation", infinite).End().Deliver();
}

std::string LadderText(const Value& answer) {
  std::vector<std::vector<std::string>> rows;
  const Value& yours = At(answer, "population");
  rows.push_back({Shown(yours, "size") + " (yours)", Shown(yours, "sampleSize")});
  for (const Value& row : At(answer, "ladder").items) rows.push_back({Shown(row, "population"), Shown(row, "sampleSize")});
  rows.push_back({"infinite", Shown(answer, "infinitePopulation")});
  return TableText({"population", "sample size"}, rows);
}

}  // namespace quorbel::commands
