// See distinct_selection.h.
#include "distinct_selection.h"

#include <algorithm>
#include <vector>

#include "list_check.h"
#include "output.h"
#include "quorbel_sampling.h"
#include "sized_list.h"

namespace quorbel::commands {
namespace {

constexpr const char* kGenerator = "xoshiro256**, seeded with SplitMix64 of the seed";
constexpr const char* kSizedList = "a list of name,size lines, sizes whole numbers >= 0";

struct Chosen {
  const SizedUnit* unit;
  double pi;
};

// One line a unit, in list order: name, size, inclusion probability and
// weight 1 / pi, at the list separator, CR LF as the other selections; a
// file that cannot be written is removed.
void WriteChosen(const std::string& out, const std::vector<Chosen>& chosen) {
  const std::string separator(1, SeparatorInEffect());
  std::string text;
  for (const Chosen& c : chosen)
    text += c.unit->name + separator + std::to_string(static_cast<long long>(c.unit->size)) + separator +
            DoubleText(c.pi) + separator + DoubleText(1.0 / c.pi) + "\r\n";
  WriteResultFile(out, text);
}

// Madow's systematic draw over the units in list order, or sorted by size
// (smallest first, ties in list order); `taken` in list order.
QuorbelResult Systematic(const std::vector<SizedUnit>& units, const std::vector<double>& pi, int count, long long seed,
                         bool bySize, std::vector<int32_t>& taken) {
  std::vector<size_t> order(units.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (bySize)
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return units[a].size < units[b].size; });
  std::vector<double> ordered;
  for (size_t i : order) ordered.push_back(pi[i]);
  std::vector<int32_t> hit(units.size());
  const QuorbelResult code = QuorbelSampling_Systematic(static_cast<int32_t>(units.size()), ordered.data(), count,
                                                        static_cast<uint64_t>(seed), hit.data());
  for (size_t k = 0; k < order.size(); ++k) taken[order[k]] = hit[k];
  return code;
}

const char* MethodName(DistinctMethod method, bool pareto) {
  if (method == DistinctMethod::kSampford) return pareto ? "Pareto pi-ps" : "Sampford";
  return method == DistinctMethod::kSystematic ? "systematic" : "systematic, sorted by size";
}

}  // namespace

QuorbelResult SelectDistinct(const std::string& list, const std::string& out, int count, long long seed,
                             DistinctMethod method) {
  const std::vector<SizedUnit> units =
      ReadSizedList(list, {QUORBEL_SAMPLING_E_UNITS, kSizedList, 0, "unit", ""});
  std::vector<double> sizes, pi(units.size());
  for (const SizedUnit& unit : units) sizes.push_back(unit.size);
  const int32_t n = static_cast<int32_t>(units.size());
  int32_t certainty = 0;
  QuorbelResult code = QuorbelSampling_InclusionProbabilities(n, sizes.data(), count, pi.data(), &certainty);
  if (code == QUORBEL_SAMPLING_E_COUNT)
    throw Rejection("--count", "at least 1 and at most the units of positive size in the list", code);
  if (code != QUORBEL_OK) return code;
  std::vector<int32_t> taken(units.size());
  int32_t pareto = 0;
  code = method == DistinctMethod::kSampford
             ? QuorbelSampling_Sampford(n, pi.data(), count, static_cast<uint64_t>(seed), taken.data(), &pareto)
             : Systematic(units, pi, count, seed, method == DistinctMethod::kSystematicBySize, taken);
  if (code != QUORBEL_OK) return code;
  std::vector<Chosen> chosen;
  for (size_t i = 0; i < units.size(); ++i)
    if (taken[i]) chosen.push_back({&units[i], pi[i]});
  WriteChosen(out, chosen);
  ValueBuilder json;
  json.Begin().String("method", MethodName(method, pareto != 0)).Int("requested", count)
      .Int("written", static_cast<long long>(chosen.size())).Int("certaintyUnits", certainty).String("list", list)
      .String("result", out).Int("seed", seed).String("generator", kGenerator).BeginArray("units");
  for (const Chosen& c : chosen)
    json.Begin().String("name", c.unit->name).Int("size", static_cast<long long>(c.unit->size))
        .Double("inclusionProbability", c.pi).Double("weight", 1.0 / c.pi).End();
  json.EndArray().End().Deliver();
  if (pareto)
    Warn("pareto-fallback", "Sampford's method rejected 100000 draws; the units were drawn by Pareto pi-ps sampling, "
                            "whose inclusion probabilities are close to, not exactly, those written");
  return QUORBEL_OK;
}

std::string DistinctSelectionText(const Value& answer) {
  const std::string seed = Shown(answer, "seed");
  std::vector<std::vector<std::string>> rows;
  for (const Value& unit : At(answer, "units").items)
    rows.push_back({Shown(unit, "name"), Shown(unit, "size"), Shown(unit, "inclusionProbability"),
                    Shown(unit, "weight")});
  return Format("Selected %s distinct units of %s with probability proportional to size (%s), %s of them\n"
                "certainty units; written to %s with their inclusion probabilities and weights\n\n",
                Shown(answer, "written").c_str(), Shown(answer, "list").c_str(), At(answer, "method").text.c_str(),
                Shown(answer, "certaintyUnits").c_str(), Shown(answer, "result").c_str()) +
         TableText({"unit", "size", "inclusion probability", "weight"}, rows) +
         Format("\nseed %s (%s); rerun with --seed %s to repeat\n", seed.c_str(), Shown(answer, "generator").c_str(),
                seed.c_str());
}

}  // namespace quorbel::commands
