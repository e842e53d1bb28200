// Commands that work on list files: the two-stage confidence interval from a
// cluster list, and the selection of units from a unit list.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "command.h"
#include "output.h"

namespace quorbel::cli {
namespace {

// The positional file arguments of a command, exactly `count` of them.
const std::vector<std::string>& Files(const Args& args, size_t count, const char* usage) {
  if (args.positional().size() != count) throw UsageError(std::string("usage: quorbel ") + usage);
  return args.positional();
}

// Seeds the generator the library draws from: the C runtime's rand on
// Windows (the library shares the host's runtime), the library's own
// generator elsewhere.
void Seed(const host::Api& api, const Args& args) {
  if (!args.Has("--seed")) return;
  const unsigned seed = static_cast<unsigned>(args.Int("--seed"));
#ifdef _WIN32
  (void)api;
  std::srand(seed);
#else
  api.Selection_SeedRandom(seed);
#endif
}

QuorbelResult RunIntervalTwoStage(const host::Api& api, const Args& args) {
  const std::string& file = Files(args, 1, "interval two-stage FILE --confidence LEVEL")[0];
  const int confidence = args.Int("--confidence");
  int32_t line = 0, field = 0;
  TwoStageIntervalResult r;
  const QuorbelResult code = api.ConfidenceInterval_TwoStages_A(confidence, file.c_str(), &line, &field, &r);
  if (code == QUORBEL_E_CLUSTER_FIELD || code == QUORBEL_E_CLUSTER_NO_ANIMALS || code == QUORBEL_E_CLUSTER_POSITIVES) {
    static const char* kFields[] = {"", "name", "animals", "positives"};
    std::fprintf(stderr, "quorbel: %s, line %d, field %d (%s): %s\n", file.c_str(), line, field,
                 field >= 1 && field <= 3 ? kFields[field] : "?",
                 code == QUORBEL_E_CLUSTER_FIELD ? "the field is missing or the name is blank"
                 : code == QUORBEL_E_CLUSTER_NO_ANIMALS ? "positives in a cluster of 0 animals"
                                                        : "more positives than animals");
  }
  if (code != QUORBEL_OK) return code;
  if (args.json()) {
    Json().Begin().Float("prevalence", r.prevalence).Float("lower", r.lower).Float("upper", r.upper)
        .Float("standardError", r.standardError).Float("designEffect", r.designEffect)
        .Float("intraClusterCorrelation", r.intraClusterCorrelation).Int("clusters", r.clusters)
        .Int("animals", r.animals).Int("positives", r.positives).End().Print();
    return code;
  }
  std::printf("Confidence interval of a prevalence, two-stage sampling (%s, confidence %d %%)\n\n"
              "  clusters %d, animals %d, positives %d\n\n",
              file.c_str(), confidence, r.clusters, r.animals, r.positives);
  PrintTable({"estimate", "lower limit", "upper limit", "standard error", "design effect", "rho"},
             {{FloatText(r.prevalence), FloatText(r.lower), FloatText(r.upper), FloatText(r.standardError),
               FloatText(r.designEffect), FloatText(r.intraClusterCorrelation)}});
  return code;
}

// Reports a faulty list line; the library names the line, the layout the field.
void ReportListLine(const std::string& list, QuorbelResult code, int32_t line) {
  if (code == QUORBEL_E_LIST_LINE)
    std::fprintf(stderr, "quorbel: %s, line %d: the line converts to no characters in this locale\n", list.c_str(),
                 line);
  if (code == QUORBEL_E_SIZED_LINE)
    std::fprintf(stderr, "quorbel: %s, line %d: a line needs exactly a name and a size%s\n", list.c_str(), line,
                 " (or the sizes add up beyond 2147483647)");
}

void PrintSelection(const Args& args, const char* what, int n, const std::string& list, const std::string& out) {
  if (args.json()) {
    Json().Begin().String("method", what).Int("requested", n).String("list", list).String("result", out).End().Print();
    return;
  }
  std::printf("Selected %d unit%s %s from %s; written to %s\n", n, n == 1 ? "" : "s", what, list.c_str(),
              out.c_str());
}

QuorbelResult RunSelect(const host::Api& api, const Args& args, bool proportional) {
  const auto& files = Files(args, 2, proportional ? "select pps LIST OUT --count N [--seed S]"
                                                  : "select random LIST OUT --count N [--seed S]");
  const int n = args.Int("--count");
  Seed(api, args);
  int32_t line = 0;
  const QuorbelResult code =
      proportional ? api.Selection_ProbabilityProportional_A(n, files[0].c_str(), files[1].c_str(), &line)
                   : api.Selection_SimpleRandom_A(n, files[0].c_str(), files[1].c_str(), &line);
  ReportListLine(files[0], code, line);
  if (code == QUORBEL_E_LIST_MISSING || code == QUORBEL_E_LIST_EMPTY)
    std::fprintf(stderr, "quorbel: %s: %s\n", files[0].c_str(),
                 code == QUORBEL_E_LIST_MISSING ? "no such file" : "the list holds no unit (or cannot be read)");
  if (code == QUORBEL_E_RESULT_FILE)
    std::fprintf(stderr, "quorbel: %s: the result file cannot be created or written\n", files[1].c_str());
  if (code == QUORBEL_OK)
    PrintSelection(args, proportional ? "with probability proportional to size" : "at random", n, files[0], files[1]);
  return code;
}

QuorbelResult RunSelectRandom(const host::Api& api, const Args& args) { return RunSelect(api, args, false); }
QuorbelResult RunSelectPps(const host::Api& api, const Args& args) { return RunSelect(api, args, true); }

const OptionHelp kSeed = {"--seed", "seed of the random generator (the same seed gives the same selection)", true};

}  // namespace

void AddListCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"interval", "two-stage", "confidence interval from a cluster list FILE (name,animals,positives per line)",
       {{"--confidence", kConfidenceText}},
       {{QUORBEL_E_CONFIDENCE, "--confidence", kConfidenceText},
        {QUORBEL_E_CLUSTER_FILE, "FILE", "a readable cluster list with at least two positives in all"},
        {QUORBEL_E_CLUSTER_FIELD, "FILE", "a list whose lines each have a name, animals and positives"},
        {QUORBEL_E_CLUSTER_NO_ANIMALS, "FILE", "a list without positives in clusters of 0 animals"},
        {QUORBEL_E_CLUSTER_POSITIVES, "FILE", "a list without more positives than animals in a cluster"}},
       RunIntervalTwoStage, {"FILE"}});
  commands.push_back(
      {"select", "random", "choose units of a unit LIST at random; write them to OUT",
       {{"--count", "units to select, at least 1"}, kSeed},
       {{QUORBEL_E_SELECT_COUNT, "--count", "at least 1"},
        {QUORBEL_E_LIST_MISSING, "LIST", "an existing file"},
        {QUORBEL_E_LIST_EMPTY, "LIST", "a list with a unit on its first line"},
        {QUORBEL_E_LIST_LINE, "LIST", "a list whose lines convert in this locale"},
        {QUORBEL_E_RESULT_FILE, "OUT", "a file that can be created"}},
       RunSelectRandom, {"LIST", "OUT"}});
  commands.push_back(
      {"select", "pps", "choose units of a sized LIST (name,size) proportionally to size; write them to OUT",
       {{"--count", "units to select, 1 to the number of units"}, kSeed},
       {{QUORBEL_E_PPS_COUNT, "--count", "at least 1"},
        {QUORBEL_E_LIST_MISSING, "LIST", "an existing file"},
        {QUORBEL_E_LIST_EMPTY, "LIST", "a list with a unit on its first line"},
        {QUORBEL_E_TOO_MANY, "--count", "at most the number of units in the list"},
        {QUORBEL_E_SIZED_LINE, "LIST", "a list of name,size lines"},
        {QUORBEL_E_RESULT_FILE, "OUT", "a file that can be created"}},
       RunSelectPps, {"LIST", "OUT"}});
}

}  // namespace quorbel::cli
