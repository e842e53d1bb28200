// The exact layer as the command-line tool shows it: its result codes as
// argument blames, and the pieces that the classic commands print beside
// their own answers (what a design achieves, the exact design).
#ifndef QUORBEL_COMMANDS_EXACT_H
#define QUORBEL_COMMANDS_EXACT_H

#include <vector>

#include "command.h"
#include "output.h"
#include "quorbel_exact.h"

namespace quorbel::commands {

// Throws a CommandError (status 1) naming the argument an exact call's
// result code blames; `context` says which call.
void CheckExact(QuorbelResult code, const char* argument);

// Blames of the exact layer's codes for one command's options.
std::vector<CodeBlame> ExactBlames();

// The exact design for the inputs of a detection command (level in percent).
QuorbelExactDesign ExactDesign(double population, double prevalence, double se, double sp, double level,
                               double target);

// Adds a design to an answer under `key`, and its text (the level asked
// for, in percent, as the settings show it).
void WriteDesign(ValueBuilder& json, const char* key, const QuorbelExactDesign& d);
std::string DesignText(const Value& design, const std::string& level);

// Warns when a design detects the disease with a probability below the
// level asked for (in percent), or declares a free population (or herd)
// infected more often than the false-positive risk accepted.
void WarnIfShort(double sensitivity, double specificity, double level, double falsePositiveRisk);

// Warns when a test's sensitivity + specificity is below 1.
void WarnIfWorseThanChance(double sensitivity, double specificity);

}  // namespace quorbel::commands

#endif
