// "freedom two-stage LIST OUT": animals to test in each herd of a herd list
// (name,animals) so that each herd reaches its herd sensitivity, and herds
// to sample so that the survey reaches its target. Every herd's design goes
// to OUT.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "command.h"
#include "list_check.h"
#include "output.h"
#include "sized_list.h"
#include "quorbel_freedom.h"

namespace quorbel::commands {
namespace {

constexpr const char* kOpen = "a proportion, 0 < value < 1";
constexpr const char* kHerdList = "a list of name,animals lines, animals a whole number >= 1";

struct Herd {
  std::string name;
  QuorbelFreedomHerd design;
};

// The herds of LIST; for herds of unknown size only their names.
std::vector<Herd> ReadHerds(const std::string& list, bool unknownSizes) {
  const SizedListRules rules{QUORBEL_FREEDOM_E_HERDS, kHerdList, 1, "herd",
                             " (--herd-size infinite for herds of unknown size)"};
  std::vector<Herd> herds;
  for (const SizedUnit& unit : ReadSizedList(list, rules, !unknownSizes))
    herds.push_back({unit.name, {unit.size, 0, 0, 0, 0}});
  return herds;
}

std::string AnimalsText(double animals) {
  return std::isinf(animals) ? "infinite" : std::to_string(static_cast<long long>(animals));
}

// Writes every herd's design to OUT (name, animals, animals to test, herd
// sensitivity, in the list's separator, CR LF lines as the selections
// write); a file that cannot be written is removed.
void WriteDesigns(const std::string& out, const std::vector<Herd>& herds) {
  const std::string separator(1, SeparatorInEffect());
  std::string text;
  for (const Herd& herd : herds)
    text += herd.name + separator + AnimalsText(herd.design.animals) + separator +
            std::to_string(static_cast<long long>(herd.design.sampleSize)) + separator +
            DoubleText(herd.design.sensitivity) + "\r\n";
  WriteResultFile(out, text);
}

void Deliver(const std::vector<Herd>& herds, const QuorbelFreedomTwoStage& r, const std::string& list,
             const std::string& out) {
  ValueBuilder json;
  json.Begin().String("list", list).String("result", out).Int("herdCount", static_cast<long long>(herds.size()))
      .Int("diseasedHerds", static_cast<long long>(r.diseasedHerds)).Bool("reachable", r.reachable != 0)
      .Int("herdsToSample", static_cast<long long>(r.herdsToSample)).Double("sensitivity", r.sensitivity)
      .Double("herdSensitivity", r.herdSensitivity).Int("herdsShortOfTarget", r.herdsShort).BeginArray("herds");
  for (const Herd& herd : herds) {
    json.Begin().String("name", herd.name);
    if (std::isinf(herd.design.animals)) json.String("animals", "infinite");
    else json.Int("animals", static_cast<long long>(herd.design.animals));
    json.Int("sampleSize", static_cast<long long>(herd.design.sampleSize))
        .Double("herdSensitivity", herd.design.sensitivity).Bool("reachable", herd.design.reachable != 0).End();
  }
  json.EndArray().End().Deliver();
}

void WarnShort(const QuorbelFreedomTwoStage& r, const std::vector<Herd>& herds) {
  if (r.herdsShort > 0)
    Warn("herds-short-of-target",
         std::to_string(r.herdsShort) + " of " + std::to_string(herds.size()) +
             " herds fall short of the herd sensitivity target with every animal tested; the herd stage counts on "
             "the smallest herd sensitivity achieved, " + DoubleText(r.herdSensitivity));
  if (!r.reachable)
    Warn("target-unreachable", "even every herd of the list does not reach the survey target: sampling them all "
                               "detects the disease with probability " + DoubleText(r.sensitivity));
}

QuorbelResult RunTwoStage(const host::Api&, const Args& args) {
  if (args.positional().size() != 2)
    throw UsageError("", "usage: quorbel freedom two-stage LIST OUT --herd-prevalence P --within-herd-prevalence P "
                         "--sensitivity SE [--herd-sensitivity TH] [--target T] [--herd-size infinite] [--force]");
  const std::string &list = args.positional()[0], &out = args.positional()[1];
  GuardOutput(args, list, out);
  const bool unknownSizes = args.Text("--herd-size") == "infinite";
  WarnAboutList(list, 0);  // its own reading refuses a size that is not a whole number
  std::vector<Herd> herds = ReadHerds(list, unknownSizes);
  std::vector<QuorbelFreedomHerd> designs;
  for (const Herd& herd : herds) designs.push_back(herd.design);
  QuorbelFreedomTwoStage r{};
  const QuorbelResult code = QuorbelFreedom_TwoStage(
      args.Double("--herd-prevalence"), args.Double("--within-herd-prevalence"), args.Double("--sensitivity"),
      args.Double("--herd-sensitivity"), args.Double("--target"), static_cast<int32_t>(herds.size()), designs.data(),
      &r);
  if (code != QUORBEL_OK) return code;
  for (size_t i = 0; i < herds.size(); ++i) herds[i].design = designs[i];
  WriteDesigns(out, herds);
  Deliver(herds, r, list, out);
  WarnShort(r, herds);
  return code;
}

std::string TwoStageText(const Value& answer) {
  long long fewest = INT64_MAX, most = 0;
  for (const Value& herd : At(answer, "herds").items) {
    fewest = std::min(fewest, Whole(herd, "sampleSize"));
    most = std::max(most, Whole(herd, "sampleSize"));
  }
  std::string text = Format("Two-stage freedom from disease over the herds of %s\n\n", Shown(answer, "list").c_str());
  text += TableText({"herds", "diseased herds", "herds to sample", "survey sensitivity", "herd sensitivity"},
                    {{Shown(answer, "herdCount"), Shown(answer, "diseasedHerds"), Shown(answer, "herdsToSample"),
                      Shown(answer, "sensitivity"), Shown(answer, "herdSensitivity")}});
  text += Format("\n  animals to test per herd: %lld to %lld; each herd's design is in %s\n", fewest, most,
                 Shown(answer, "result").c_str());
  if (!At(answer, "reachable").boolean)
    return text + "\nNo number of herds of this list reaches the survey target; all of them give " +
           Shown(answer, "sensitivity") + ".\n";
  return text + "\nIn any " + Shown(answer, "herdsToSample") + " herds of the list, testing the animals " +
         Shown(answer, "result") + " gives for each\nwould find the disease with probability " +
         Shown(answer, "sensitivity") + ", were " + ScalarText(Setting(answer, "herd_prevalence")) +
         " of the herds infected, each at " + ScalarText(Setting(answer, "within_herd_prevalence")) + ".\n";
}

}  // namespace

void AddFreedomTwoStageCommand(std::vector<Command>& commands) {
  commands.push_back(
      {"freedom", "two-stage", "animals per herd of a herd LIST and herds to sample to show freedom; designs to OUT",
       {{"--herd-prevalence", OptionKind::kProportion, "herd-level design prevalence, 0 < value < 1"},
        {"--within-herd-prevalence", OptionKind::kProportion, "design prevalence within a herd, 0 < value < 1"},
        {"--sensitivity", OptionKind::kProportion, "sensitivity of the test on an animal, 0 < value <= 1"},
        {"--herd-sensitivity", OptionKind::kProportion, "herd sensitivity each herd is to reach, 0 < value < 1",
         true, "0.95", nullptr, "Herd sensitivity target", "proportion"},
        {"--target", OptionKind::kProportion, "survey sensitivity to reach, 0 < value < 1", true, "0.95"},
        {"--herd-size", OptionKind::kChoice, "list: the sizes of LIST; infinite: herds of unknown size", true, "list",
         "list|infinite", "Herd sizes", "from the list, or infinite"},
        {"--force", OptionKind::kFlag, "replace OUT when it exists", true}},
       {{QUORBEL_FREEDOM_E_HERDS, "LIST", kHerdList},
        {QUORBEL_FREEDOM_E_PREVALENCE, "--herd-prevalence", kOpen},
        {QUORBEL_FREEDOM_E_WITHIN, "--within-herd-prevalence", kOpen},
        {QUORBEL_FREEDOM_E_SENSITIVITY, "--sensitivity", "a proportion, 0 < value <= 1"},
        {QUORBEL_FREEDOM_E_HERD_TARGET, "--herd-sensitivity", kOpen},
        {QUORBEL_FREEDOM_E_TARGET, "--target", kOpen},
        {QUORBEL_E_LIST_MISSING, "LIST", "an existing file"},
        {QUORBEL_E_RESULT_FILE, "OUT", "a file that can be created"}},
       RunTwoStage, TwoStageText, {"LIST", "OUT"}});
}

}  // namespace quorbel::commands
