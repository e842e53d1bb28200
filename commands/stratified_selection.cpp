// "select stratified LIST OUT --strata-column k": simple random selection
// within the strata of a list, n split over them in proportion to their
// sizes or by Neyman's allocation, each unit with its weight N_h / n_h.
#include <cmath>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "command.h"
#include "list_check.h"
#include "output.h"
#include "paths.h"
#include "quorbel_sampling.h"

namespace quorbel::commands {
namespace {

constexpr const char* kListText = "a list whose lines hold a name and, in the column --strata-column names, a stratum";
constexpr const char* kGenerator = "xoshiro256**, seeded with SplitMix64 of the seed";

struct Stratum {
  std::string name;
  std::vector<size_t> units;  // lines of the list, in order
  int32_t sampled = 0;
};

struct Listed {
  std::vector<std::string> names, strata;
  std::vector<Stratum> byOrder;  // strata in the order they first appear
};

CommandError FaultyLine(const std::string& list, int line, int field, const std::string& detail) {
  return FaultAt("LIST", list, line, field, detail, QUORBEL_SAMPLING_E_UNITS, kListText);
}

Listed ReadStrata(const std::string& list, int column) {
  std::ifstream in(FilePath(list), std::ios::binary);
  if (!in) throw Rejection("LIST", "an existing file", QUORBEL_E_LIST_MISSING);
  const char separator = SeparatorInEffect();
  Listed listed;
  std::map<std::string, size_t> index;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) break;
    const std::vector<std::string> fields = SplitFields(line, separator);
    const std::string& name = fields[0];
    if (name.empty()) throw FaultyLine(list, number, 1, "the unit has no name");
    const std::string stratum = static_cast<size_t>(column) <= fields.size() ? fields[static_cast<size_t>(column) - 1] : "";
    if (stratum.empty())
      throw FaultyLine(list, number, column,
                       "no stratum in column " + std::to_string(column) + " (fields split at '" +
                           std::string(1, separator) + "', the list separator in effect)");
    const auto [at, fresh] = index.emplace(stratum, listed.byOrder.size());
    if (fresh) listed.byOrder.push_back({stratum, {}, 0});
    listed.byOrder[at->second].units.push_back(listed.names.size());
    listed.names.push_back(name);
    listed.strata.push_back(stratum);
  }
  if (listed.names.empty()) throw Rejection("LIST", "a list with a unit on its first line", QUORBEL_SAMPLING_E_UNITS);
  return listed;
}

// The weights of the allocation: the strata's sizes, or for Neyman's
// N_h sqrt(p_h (1 - p_h)) with --prevalences in the strata's order.
std::vector<double> AllocationWeights(const Args& args, const std::vector<Stratum>& strata) {
  std::vector<double> weights;
  const bool neyman = args.Text("--allocation") == "neyman";
  if (!neyman) {
    if (args.Given("--prevalences"))
      throw UsageError("--prevalences", "--prevalences belong to --allocation neyman");
    for (const Stratum& s : strata) weights.push_back(static_cast<double>(s.units.size()));
    return weights;
  }
  if (!args.Given("--prevalences")) throw UsageError("--prevalences", "--allocation neyman needs --prevalences");
  const auto records = args.Records("--prevalences", 1);
  if (records.size() != strata.size())
    throw UsageError("--prevalences", "--prevalences needs one prevalence for each of the " +
                                          std::to_string(strata.size()) + " strata, in the order they appear");
  for (size_t h = 0; h < strata.size(); ++h) {
    const double p = ParseDouble(records[h][0], "--prevalences value " + std::to_string(h + 1));
    if (!(p > 0.0 && p < 1.0))
      throw UsageError("--prevalences", "--prevalences value " + std::to_string(h + 1) + " must lie in 0 < p < 1");
    weights.push_back(static_cast<double>(strata[h].units.size()) * std::sqrt(p * (1.0 - p)));
  }
  return weights;
}

void Write(const std::string& out, const Listed& listed, const std::vector<char>& taken,
           const std::vector<double>& weightOf) {
  const std::string separator(1, SeparatorInEffect());
  std::string text;
  for (size_t i = 0; i < listed.names.size(); ++i)
    if (taken[i]) text += listed.names[i] + separator + listed.strata[i] + separator + DoubleText(weightOf[i]) + "\r\n";
  WriteResultFile(out, text);
}

QuorbelResult RunStratified(const host::Api&, const Args& args) {
  if (args.positional().size() != 2)
    throw UsageError("", "usage: quorbel select stratified LIST OUT --strata-column K --count N "
                         "[--allocation proportional|neyman --prevalences P1,P2,...] [--seed S] [--force]");
  const std::string &list = args.positional()[0], &out = args.positional()[1];
  GuardOutput(args, list, out);
  const int column = args.Int("--strata-column");
  if (column < 2) throw UsageError("--strata-column", "--strata-column must be 2 or more (column 1 holds the names)");
  Listed listed = ReadStrata(list, column);
  const std::vector<double> weights = AllocationWeights(args, listed.byOrder);
  std::vector<double> sizes;
  for (const Stratum& s : listed.byOrder) sizes.push_back(static_cast<double>(s.units.size()));
  std::vector<int32_t> counts(listed.byOrder.size());
  const QuorbelResult code = QuorbelSampling_Allocate(static_cast<int32_t>(sizes.size()), sizes.data(),
                                                      weights.data(), args.Int("--count"), counts.data());
  if (code == QUORBEL_SAMPLING_E_COUNT) throw Rejection("--count", "at least 1 and at most the units of the list", code);
  if (code != QUORBEL_OK) return code;
  const long long seed = SeedOfSelection(args);
  std::vector<char> taken(listed.names.size(), 0);
  std::vector<double> weightOf(listed.names.size(), 0.0);
  for (size_t h = 0; h < listed.byOrder.size(); ++h) {
    Stratum& s = listed.byOrder[h];
    s.sampled = counts[h];
    if (s.sampled == 0) continue;
    std::vector<int32_t> chosen(s.units.size());
    // Each stratum draws from its own stream: the seed and the stratum's place.
    const QuorbelResult drawn = QuorbelSampling_SimpleRandom(static_cast<int32_t>(s.units.size()), s.sampled,
                                                             static_cast<uint64_t>(seed) + h, chosen.data());
    if (drawn != QUORBEL_OK) return drawn;
    for (size_t k = 0; k < s.units.size(); ++k)
      if (chosen[k]) {
        taken[s.units[k]] = 1;
        weightOf[s.units[k]] = static_cast<double>(s.units.size()) / s.sampled;
      }
  }
  Write(out, listed, taken, weightOf);
  ValueBuilder json;
  json.Begin().String("allocation", args.Text("--allocation")).Int("requested", args.Int("--count"))
      .String("list", list).String("result", out).Int("seed", seed).String("generator", kGenerator)
      .BeginArray("strata");
  for (const Stratum& s : listed.byOrder)
    json.Begin().String("stratum", s.name).Int("units", static_cast<long long>(s.units.size())).Int("sampled", s.sampled)
        .Double("weight", s.sampled > 0 ? static_cast<double>(s.units.size()) / s.sampled : 0.0).End();
  json.EndArray().BeginArray("units");
  for (size_t i = 0; i < listed.names.size(); ++i)
    if (taken[i]) json.Begin().String("name", listed.names[i]).String("stratum", listed.strata[i]).Double("weight", weightOf[i]).End();
  json.EndArray().End().Deliver();
  for (const Stratum& s : listed.byOrder)
    if (s.sampled == 0) Warn("empty-stratum", "stratum " + s.name + " gets no unit: its share of the sample rounds to 0");
  return QUORBEL_OK;
}

std::string StratifiedText(const Value& answer) {
  std::vector<std::vector<std::string>> rows;
  for (const Value& s : At(answer, "strata").items)
    rows.push_back({Shown(s, "stratum"), Shown(s, "units"), Shown(s, "sampled"), Shown(s, "weight")});
  const std::string seed = Shown(answer, "seed");
  return Format("Selected at random within the strata of %s (%s allocation); written to %s with their weights\n\n",
                Shown(answer, "list").c_str(), Shown(answer, "allocation").c_str(), Shown(answer, "result").c_str()) +
         TableText({"stratum", "units", "selected", "weight"}, rows) +
         Format("\nseed %s (%s); rerun with --seed %s to repeat\n", seed.c_str(), Shown(answer, "generator").c_str(),
                seed.c_str());
}

}  // namespace

void AddStratifiedSelectionCommand(std::vector<Command>& commands) {
  commands.push_back(
      {"select", "stratified", "choose units at random within the strata of a LIST; write them with weights to OUT",
       {{"--strata-column", OptionKind::kCount, "the column of LIST that holds the stratum, 2 or more"},
        {"--count", OptionKind::kCount, "units to select in all, 1 to the units of the list"},
        {"--allocation", OptionKind::kChoice, "proportional to the strata's sizes, or neyman (with --prevalences)",
         true, "proportional", "proportional|neyman"},
        {"--prevalences", OptionKind::kRecords, "one expected prevalence per stratum, in the order the strata appear",
         true},
        {"--seed", OptionKind::kCount, "a whole number; the same seed gives the same selection (default: a fresh seed, printed)", true},
        {"--force", OptionKind::kFlag, "replace OUT when it exists", true}},
       {{QUORBEL_SAMPLING_E_UNITS, "LIST", kListText},
        {QUORBEL_SAMPLING_E_COUNT, "--count", "at least 1 and at most the units of the list"},
        {QUORBEL_E_LIST_MISSING, "LIST", "an existing file"},
        {QUORBEL_E_RESULT_FILE, "OUT", "a file that can be created"}},
       RunStratified, StratifiedText, {"LIST", "OUT"}});
}

}  // namespace quorbel::commands
