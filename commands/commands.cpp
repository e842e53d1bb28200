// The table of every command, and the text of result codes.
#include <cstdio>

#include "command.h"
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

void PrintLadderTable(const Args& args, int population, int32_t callers, const int32_t* ladder, int32_t infinite) {
  if (args.json()) {
    ValueBuilder json;
    json.Begin().Begin("population").Int("size", population).Int("sampleSize", callers).End().BeginArray("ladder");
    for (int i = 0; i < QUORBEL_LADDER_SIZES; ++i)
      json.Begin().Int("population", kPopulationLadder[i]).Int("sampleSize", ladder[i]).End();
    json.EndArray().Int("infinitePopulation", infinite).End().Deliver();
    return;
  }
  std::vector<std::vector<std::string>> rows;
  rows.push_back({std::to_string(population) + " (yours)", std::to_string(callers)});
  for (int i = 0; i < QUORBEL_LADDER_SIZES; ++i) rows.push_back({std::to_string(kPopulationLadder[i]), std::to_string(ladder[i])});
  rows.push_back({"infinite", std::to_string(infinite)});
  PrintTable({"population", "sample size"}, rows);
}

}  // namespace quorbel::commands
