// The exact layer as the command-line tool shows it: its result codes as
// argument blames, and the pieces that the classic commands print beside
// their own answers (what a design achieves, the exact design).
#ifndef QUORBEL_CLI_EXACT_H
#define QUORBEL_CLI_EXACT_H

#include <vector>

#include "command.h"
#include "output.h"
#include "quorbel_exact.h"

namespace quorbel::cli {

// Throws UsageError naming `argument` when an exact call returns a code.
void CheckExact(QuorbelResult code, const char* argument);

// Blames of the exact layer's codes for one command's options.
std::vector<CodeBlame> ExactBlames();

// The exact design for the inputs of a detection command (level in percent).
QuorbelExactDesign ExactDesign(double population, double prevalence, double se, double sp, double level,
                               double target);

// Writes "exact": {...} (JSON) or prints the design.
void WriteDesign(Json& json, const char* key, const QuorbelExactDesign& d);
void PrintDesign(const QuorbelExactDesign& d, double level);

// A plain warning when a design achieves less than the level asked for.
void WarnIfShort(double achieved, double level);

}  // namespace quorbel::cli

#endif
