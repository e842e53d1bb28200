// "select pps --distinct" and "select systematic": n distinct units with
// their inclusion probabilities and weights.
#ifndef QUORBEL_COMMANDS_DISTINCT_SELECTION_H
#define QUORBEL_COMMANDS_DISTINCT_SELECTION_H

#include <string>

#include "command.h"

namespace quorbel::commands {

enum class DistinctMethod { kSampford, kSystematic, kSystematicBySize };

// Selects `count` distinct units of `list` and writes them to `out`; the
// answer is delivered. `seed` is the user's seed.
QuorbelResult SelectDistinct(const std::string& list, const std::string& out, int count, long long seed,
                             DistinctMethod method = DistinctMethod::kSampford);

// The text of such an answer (it has "certaintyUnits").
std::string DistinctSelectionText(const Value& answer);

}  // namespace quorbel::commands

#endif
