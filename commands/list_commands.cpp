// Commands that work on list files: the two-stage confidence interval from a
// cluster list, and the selection of units from a unit list.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "command.h"
#include "distinct_selection.h"
#include "quorbel_sampling.h"
#include "list_check.h"
#include "paths.h"
#include "reading.h"
#include "output.h"

namespace quorbel::commands {
namespace {

// The positional file arguments of a command, exactly `count` of them.
const std::vector<std::string>& Files(const Args& args, size_t count, const char* usage) {
  if (args.positional().size() != count) throw UsageError("", std::string("usage: quorbel ") + usage);
  return args.positional();
}

// The error of a list the library refused at a line (and field), from the
// command's blame of `code` with the place and what is wrong there.
CommandError FaultyLine(const char* family, const char* name, QuorbelResult code, const std::string& detail, int line,
                        int field) {
  const CommandError blame = Rejection(*FindCommand(family, name), code);
  // A fault at a line names the separator the line was split at.
  const std::string note = line > 0 ? SeparatorNote(detail) : "";
  CommandError error(blame.argument,
                     blame.argument + " rejected: " + detail + note + " (result code " + CodeText(code) + ")", 1);
  error.code = code;
  error.allowed = blame.allowed;
  error.line = line;
  error.field = field;
  return error;
}

constexpr const char* kGenerator = "msvcrt rand, seeded with SplitMix64 of the seed";

// SplitMix64 (Steele, Lea and Flood, 2014) of the user's seed, cut to 32
// bits: neighbouring seeds give unrelated generator states, where the
// runtime's first draw barely moves for small seeds.
uint32_t MixSeed(uint64_t seed) {
  uint64_t z = seed + 0x9E3779B97F4A7C15u;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return static_cast<uint32_t>(z ^ (z >> 31));
}

// Seeds the generator the library draws from (the C runtime's rand on
// Windows, whose runtime the library shares; the library's own generator,
// with the same sequence, elsewhere) with the mixed seed. Without --seed a
// fresh one comes from the system. Returns the seed as the user gives it.
long long Seed(const host::Api& api, const Args& args) {
  const long long seed = SeedOfSelection(args);
  const uint32_t state = MixSeed(static_cast<uint64_t>(seed));
#ifdef _WIN32
  (void)api;
  std::srand(state);
#else
  api.Selection_SeedRandom(state);
#endif
  return seed;
}

QuorbelResult RunIntervalTwoStage(const host::Api& api, const Args& args) {
  const std::string& file = Files(args, 1, "interval two-stage FILE --confidence LEVEL")[0];
  const int confidence = args.Int("--confidence");
  SetInEffect("file", Value::String(file));
  WarnAboutList(file, 2);
  const LibraryList list("FILE", file);
  int32_t line = 0, field = 0;
  TwoStageIntervalResult r;
  std::unique_ptr<ReadingWatch> watch = WatchReading(file);
#ifdef _WIN32
  const QuorbelResult code =
      api.ConfidenceInterval_TwoStages(confidence, FilePath(list.path()).wstring().c_str(), &line, &field, &r);
#else
  const QuorbelResult code = api.ConfidenceInterval_TwoStages_A(confidence, list.path().c_str(), &line, &field, &r);
#endif
  watch.reset();
  if (code == QUORBEL_E_CLUSTER_FIELD || code == QUORBEL_E_CLUSTER_NO_ANIMALS || code == QUORBEL_E_CLUSTER_POSITIVES) {
    static const char* kFields[] = {"", "name", "animals", "positives"};
    char where[64];
    std::snprintf(where, sizeof where, ", line %d, field %d (%s): ", line, field,
                  field >= 1 && field <= 3 ? kFields[field] : "?");
    throw FaultyLine("interval", "two-stage", code,
                     file + where +
                         (code == QUORBEL_E_CLUSTER_FIELD          ? "the field is missing or the name is blank"
                          : code == QUORBEL_E_CLUSTER_NO_ANIMALS ? "positives in a cluster of 0 animals"
                                                                  : "more positives than animals"),
                     line, field);
  }
  if (code != QUORBEL_OK) return code;
  ValueBuilder().Begin().Float("prevalence", r.prevalence).Float("lower", r.lower).Float("upper", r.upper)
      .Float("standardError", r.standardError).Float("designEffect", r.designEffect)
      .Float("intraClusterCorrelation", r.intraClusterCorrelation).Int("clusters", r.clusters)
      .Int("animals", r.animals).Int("positives", r.positives).End().Deliver();
  return code;
}

std::string IntervalTwoStageText(const Value& answer) {
  const Value& settings = At(answer, "settings");
  std::string text = Format("Confidence interval of a prevalence, two-stage sampling (%s, confidence %s %%)\n\n"
                            "  clusters %s, animals %s, positives %s\n\n",
                            Shown(settings, "file").c_str(), Shown(settings, "confidence").c_str(),
                            Shown(answer, "clusters").c_str(), Shown(answer, "animals").c_str(),
                            Shown(answer, "positives").c_str());
  // A value that cannot be estimated (one cluster, clusters of one animal)
  // is null in the answer, and said so here, with the reason below.
  auto cell = [&answer](const char* key) {
    const Value& value = At(answer, key);
    return value.type == Value::Type::kNull ? std::string("not estimable") : ScalarText(value);
  };
  text += TableText({"estimate", "lower limit", "upper limit", "standard error", "design effect", "rho"},
                    {{cell("prevalence"), cell("lower"), cell("upper"), cell("standardError"), cell("designEffect"),
                      cell("intraClusterCorrelation")}});
  if (Whole(answer, "clusters") == 1)
    return text + "\nWith one cluster there is no variation between clusters to measure: the standard error, the\n"
                  "limits, the design effect and rho cannot be estimated. Sample more clusters.\n";
  if (Whole(answer, "animals") == Whole(answer, "clusters"))
    return text + "\nEvery cluster has one animal: the mean cluster size is 1, so rho, which divides by it minus 1,\n"
                  "cannot be estimated.\n";
  return text;
}

// Throws the error of a faulty list: for a faulty line, the line the library
// names; for a list or result file that cannot be used, the file.
void ReportListFault(const char* name, const std::string& list, const std::string& out, QuorbelResult code,
                     int32_t line) {
  char text[200];
  if (code == QUORBEL_E_LIST_LINE) {
    std::snprintf(text, sizeof text, ", line %d: the line converts to no characters in this locale", line);
    throw FaultyLine("select", name, code, list + text, line, -1);
  }
  if (code == QUORBEL_E_SIZED_LINE) {
    std::snprintf(text, sizeof text, ", line %d: a line needs exactly a name and a size, separated by '%c', the list "
                  "separator in effect (or the sizes add up beyond %d)", line, SeparatorInEffect(), INT32_MAX);
    throw FaultyLine("select", name, code, list + text, line, -1);
  }
  if (code == QUORBEL_E_LIST_MISSING || code == QUORBEL_E_LIST_EMPTY)
    throw FaultyLine("select", name, code,
                     list + (code == QUORBEL_E_LIST_MISSING ? ": no such file"
                                                            : ": the list holds no unit (or cannot be read)"),
                     -1, -1);
  if (code == QUORBEL_E_RESULT_FILE)
    throw FaultyLine("select", name, code, out + ": the result file cannot be created or written", -1, -1);
}

// A unit as the result file names it, with the times it was selected (1 for
// simple random selection).
struct Written {
  std::string name;
  long long times;
};

// The units the library wrote: CR LF lines, "name" or "name,times".
std::vector<Written> ReadResult(const std::string& path, bool proportional) {
  std::vector<Written> units;
  std::ifstream in(FilePath(path), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t comma = proportional ? line.rfind(',') : std::string::npos;
    if (comma == std::string::npos) units.push_back({line, 1});
    else units.push_back({line.substr(0, comma), std::atoll(line.c_str() + comma + 1)});
  }
  return units;
}

void DeliverSelection(bool proportional, int n, const std::string& list, const std::string& out, long long seed) {
  const std::vector<Written> units = ReadResult(out, proportional);
  long long hits = 0;
  for (const Written& unit : units) hits += unit.times;
  if (!proportional && units.size() < static_cast<size_t>(n))
    Warn("list-shorter-than-count", "the list holds fewer units than asked for (it ends at its first blank line): "
                                    "every unit was taken once");
  if (proportional && hits > n)
    Warn("hits-beyond-count", std::to_string(hits) + " selections were made for " + std::to_string(n) +
                                  " asked: the systematic points fall in large units more than once");
  ValueBuilder json;
  json.Begin().String("method", proportional ? "with probability proportional to size" : "at random")
      .Int("requested", n).Int("written", static_cast<long long>(units.size())).String("list", list)
      .String("result", out).Int("seed", seed).String("generator", kGenerator).BeginArray("units");
  for (const Written& unit : units) json.Begin().String("name", unit.name).Int("times", unit.times).End();
  json.EndArray().End().Deliver();
}

std::string SelectionText(const Value& answer) {
  if (answer.Find("certaintyUnits") != nullptr) return DistinctSelectionText(answer);
  const long long written = Whole(answer, "written");
  const std::string out = Shown(answer, "result"), seed = Shown(answer, "seed");
  std::string text = Format("Selected %s from %s: %lld unit%s written to %s (%s asked for)\n",
                            Shown(answer, "method").c_str(), Shown(answer, "list").c_str(), written,
                            written == 1 ? "" : "s", out.c_str(), Shown(answer, "requested").c_str());
  for (const Value& unit : At(answer, "units").items)
    if (Whole(unit, "times") > 1)
      text += Format("%s was selected %lld times: it is larger than the sampling interval (total size / %s), so\n"
                     "  the systematic points fall in it more than once. The second column of %s counts them.\n",
                     Shown(unit, "name").c_str(), Whole(unit, "times"), Shown(answer, "requested").c_str(),
                     out.c_str());
  return text + Format("seed %s (%s); rerun with --seed %s to repeat\n", seed.c_str(), Shown(answer, "generator").c_str(),
                       seed.c_str());
}

QuorbelResult RunSelect(const host::Api& api, const Args& args, bool proportional) {
  const auto& files = Files(args, 2, proportional ? "select pps LIST OUT --count N [--distinct] [--seed S] [--force]"
                                                  : "select random LIST OUT --count N [--seed S] [--force]");
  GuardOutput(args, files[0], files[1]);
  if (proportional) WarnAboutList(files[0], 1);
  const int n = args.Int("--count");
  const long long seed = Seed(api, args);
  if (proportional && args.Has("--distinct")) return SelectDistinct(files[0], files[1], n, seed);
  int32_t line = 0;
  const LibraryList units("LIST", files[0]);
  std::unique_ptr<ReadingWatch> watch = WatchReading(files[0]);
#ifdef _WIN32
  const std::wstring list = FilePath(units.path()).wstring(), out = FilePath(files[1]).wstring();
  const QuorbelResult code = proportional ? api.Selection_ProbabilityProportional(n, list.c_str(), out.c_str(), &line)
                                          : api.Selection_SimpleRandom(n, list.c_str(), out.c_str(), &line);
#else
  const QuorbelResult code =
      proportional ? api.Selection_ProbabilityProportional_A(n, units.path().c_str(), files[1].c_str(), &line)
                   : api.Selection_SimpleRandom_A(n, units.path().c_str(), files[1].c_str(), &line);
#endif
  watch.reset();
  ReportListFault(proportional ? "pps" : "random", files[0], files[1], code, line);
  if (code == QUORBEL_OK) DeliverSelection(proportional, n, files[0], files[1], seed);
  return code;
}

// "select systematic": Madow's systematic PPS, n distinct units with their
// inclusion probabilities.
QuorbelResult RunSelectSystematic(const host::Api& api, const Args& args) {
  const auto& files = Files(args, 2, "select systematic LIST OUT --count N [--sort size] [--seed S] [--force]");
  GuardOutput(args, files[0], files[1]);
  const long long seed = Seed(api, args);
  return SelectDistinct(files[0], files[1], args.Int("--count"), seed,
                        args.Text("--sort") == "size" ? DistinctMethod::kSystematicBySize
                                                      : DistinctMethod::kSystematic);
}

QuorbelResult RunSelectRandom(const host::Api& api, const Args& args) { return RunSelect(api, args, false); }
QuorbelResult RunSelectPps(const host::Api& api, const Args& args) { return RunSelect(api, args, true); }

const Option kSeed = {"--seed", OptionKind::kCount,
                          "a whole number; the same seed gives the same selection (default: a fresh seed, printed)",
                          true};
const Option kForce = {"--force", OptionKind::kFlag, "replace OUT when it exists", true};

}  // namespace

void AddListCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"interval", "two-stage", "confidence interval from a cluster list FILE (name,animals,positives per line)",
       {{"--confidence", OptionKind::kLevel, kConfidenceText, true, "95"}},
       {{QUORBEL_E_CONFIDENCE, "--confidence", kConfidenceText},
        {QUORBEL_E_CLUSTER_FILE, "FILE", "a readable cluster list with at least two positives in all"},
        {QUORBEL_E_CLUSTER_FIELD, "FILE", "a list whose lines each have a name, animals and positives"},
        {QUORBEL_E_CLUSTER_NO_ANIMALS, "FILE", "a list without positives in clusters of 0 animals"},
        {QUORBEL_E_CLUSTER_POSITIVES, "FILE", "a list without more positives than animals in a cluster"}},
       RunIntervalTwoStage, IntervalTwoStageText, {"FILE"}, ZRule::kClassic});
  commands.push_back(
      {"select", "random", "choose units of a unit LIST at random; write them to OUT",
       {{"--count", OptionKind::kCount, "units to select, at least 1"}, kSeed, kForce},
       {{QUORBEL_E_SELECT_COUNT, "--count", "at least 1"},
        {QUORBEL_E_LIST_MISSING, "LIST", "an existing file"},
        {QUORBEL_E_LIST_EMPTY, "LIST", "a list with a unit on its first line"},
        {QUORBEL_E_LIST_LINE, "LIST", "a list whose lines convert in this locale"},
        {QUORBEL_E_RESULT_FILE, "OUT", "a file that can be created"}},
       RunSelectRandom, SelectionText, {"LIST", "OUT"}});
  commands.push_back(
      {"select", "pps", "choose units of a sized LIST (name,size) proportionally to size; write them to OUT",
       {{"--count", OptionKind::kCount, "units to select, 1 to the number of units"}, kSeed, kForce,
        {"--distinct", OptionKind::kFlag,
         "exactly n distinct units, with their inclusion probabilities and weights (Sampford's method)", true}},
       {{QUORBEL_E_PPS_COUNT, "--count", "at least 1"},
        {QUORBEL_E_LIST_MISSING, "LIST", "an existing file"},
        {QUORBEL_E_LIST_EMPTY, "LIST", "a list with a unit on its first line"},
        {QUORBEL_E_TOO_MANY, "--count", "at most the number of units in the list"},
        {QUORBEL_E_SIZED_LINE, "LIST", "a list of name,size lines"},
        {QUORBEL_E_RESULT_FILE, "OUT", "a file that can be created"},
        {QUORBEL_SAMPLING_E_UNITS, "LIST", "a list of name,size lines, sizes whole numbers >= 0"}},
       RunSelectPps, SelectionText, {"LIST", "OUT"}});
  commands.push_back(
      {"select", "systematic",
       "choose n distinct units of a sized LIST by systematic PPS with a fractional step; write them to OUT",
       {{"--count", OptionKind::kCount, "units to select, 1 to the units of positive size"}, kSeed, kForce,
        {"--sort", OptionKind::kChoice, "list: the units in list order; size: smallest first", true, "list",
         "list|size"}},
       {{QUORBEL_SAMPLING_E_UNITS, "LIST", "a list of name,size lines, sizes whole numbers >= 0"},
        {QUORBEL_SAMPLING_E_COUNT, "--count", "at least 1 and at most the units of positive size in the list"},
        {QUORBEL_E_LIST_MISSING, "LIST", "an existing file"},
        {QUORBEL_E_RESULT_FILE, "OUT", "a file that can be created"}},
       RunSelectSystematic, SelectionText, {"LIST", "OUT"}});
  AddStratifiedSelectionCommand(commands);
}

}  // namespace quorbel::commands
