// "interval weighted FILE": the prevalence estimated from a selection's
// result file with the animals tested and positive appended to each line
// (name,size,inclusionProbability,weight,tested,positives), with the
// selection's weights.
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "command.h"
#include "list_check.h"
#include "output.h"
#include "paths.h"
#include "quorbel_sampling.h"

namespace quorbel::commands {
namespace {

constexpr const char* kFileText =
    "a selection's result file with tested and positives appended: name,size,inclusionProbability,weight,tested,"
    "positives lines";
constexpr const char* kFieldNames[] = {"name", "size", "inclusionProbability", "weight", "tested", "positives"};

struct Units {
  std::vector<double> pi, tested, positives, herdPositive, ones;
};

CommandError FaultyField(const std::string& file, int line, int field, const std::string& detail) {
  return FaultAt("FILE", file, line, field, std::string("(") + kFieldNames[field - 1] + ") " + detail,
                 QUORBEL_SAMPLING_E_UNITS, kFileText);
}

double Number(const std::string& text, bool whole, bool* ok) {
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  *ok = !text.empty() && end == text.c_str() + text.size() && errno == 0 && (!whole || value == static_cast<long long>(value));
  return value;
}

Units ReadUnits(const std::string& file) {
  std::ifstream in(FilePath(file), std::ios::binary);
  if (!in) throw Rejection("FILE", "an existing file", QUORBEL_E_LIST_MISSING);
  const char separator = SeparatorInEffect();
  Units units;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) break;
    const std::vector<std::string> fields = SplitFields(line, separator);
    if (fields.size() != 6)
      throw FaultyField(file, number, static_cast<int>(std::min<size_t>(fields.size() + 1, 6)),
                        "a line needs 6 fields separated by '" + std::string(1, separator) +
                            "', the list separator in effect; this one has " + std::to_string(fields.size()));
    bool ok = false;
    const double pi = Number(fields[2], false, &ok);
    if (!ok || !(pi > 0.0 && pi <= 1.0)) throw FaultyField(file, number, 3, "not a probability 0 < pi <= 1");
    const double tested = Number(fields[4], true, &ok);
    if (!ok || tested < 0) throw FaultyField(file, number, 5, "not a whole number of animals >= 0");
    const double positives = Number(fields[5], true, &ok);
    if (!ok || positives < 0 || positives > tested)
      throw FaultyField(file, number, 6, "not a whole number from 0 to the animals tested");
    units.pi.push_back(pi);
    units.tested.push_back(tested);
    units.positives.push_back(positives);
    units.herdPositive.push_back(positives > 0 ? 1.0 : 0.0);
    units.ones.push_back(1.0);
  }
  return units;
}

QuorbelResult RunWeighted(const host::Api&, const Args& args) {
  if (args.positional().size() != 1) throw UsageError("", "usage: quorbel interval weighted FILE [--herd-level]");
  const std::string& file = args.positional()[0];
  SetInEffect("file", Value::String(file));
  const Units units = ReadUnits(file);
  const bool herds = args.Has("--herd-level");
  QuorbelSamplingEstimate r{};
  const QuorbelResult code = QuorbelSampling_WeightedRatio(
      static_cast<int32_t>(units.pi.size()), units.pi.data(), herds ? units.herdPositive.data() : units.positives.data(),
      herds ? units.ones.data() : units.tested.data(), args.Double("--confidence"), &r);
  if (code != QUORBEL_OK) return code;
  ValueBuilder().Begin().String("level", herds ? "herds" : "animals")
      .Int("units", static_cast<long long>(units.pi.size())).Double("estimate", r.estimate)
      .Double("standardError", r.standardError).Double("designEffect", r.designEffect).Double("lower", r.lower)
      .Double("upper", r.upper).End().Deliver();
  return code;
}

std::string WeightedText(const Value& answer) {
  const bool herds = At(answer, "level").text == "herds";
  return Format("%s from the weighted selection in %s (%s units, %s %% limits)\n\n",
                herds ? "Share of herds with a positive animal" : "Prevalence among the animals",
                ScalarText(Setting(answer, "file")).c_str(), Shown(answer, "units").c_str(),
                ScalarText(Setting(answer, "confidence")).c_str()) +
         TableText({"estimate", "standard error", "design effect", "lower limit", "upper limit"},
                   {{Shown(answer, "estimate"), Shown(answer, "standardError"), Shown(answer, "designEffect"),
                     Shown(answer, "lower"), Shown(answer, "upper")}});
}

}  // namespace

void AddWeightedCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"interval", "weighted", "prevalence from a selection's result FILE with tested,positives appended, weighted",
       {{"--confidence", OptionKind::kLevel, "a percentage from 50 to 99.99", true, "95"},
        {"--herd-level", OptionKind::kFlag, "the share of units (herds) with at least one positive", true}},
       {{QUORBEL_SAMPLING_E_UNITS, "FILE", kFileText},
        {QUORBEL_SAMPLING_E_FEW, "FILE", "at least 2 units, and some animals tested"},
        {QUORBEL_SAMPLING_E_LEVEL, "--confidence", "a percentage from 50 to 99.99"},
        {QUORBEL_E_LIST_MISSING, "FILE", "an existing file"}},
       RunWeighted, WeightedText, {"FILE"}, ZRule::kExact});
}

}  // namespace quorbel::commands
