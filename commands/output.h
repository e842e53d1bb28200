// The text renderer's pieces: aligned tables for people, and numbers
// written so that they read back as the same float or double.
#ifndef QUORBEL_COMMANDS_OUTPUT_H
#define QUORBEL_COMMANDS_OUTPUT_H

#include <string>
#include <vector>

#include "value.h"

namespace quorbel::commands {

// The shortest decimal text that reads back as exactly `value`.
std::string FloatText(float value);
std::string DoubleText(double value);

// Prints rows under a header, each column right-aligned to its widest cell.
void PrintTable(const std::vector<std::string>& header,
                const std::vector<std::vector<std::string>>& rows);

}  // namespace quorbel::commands

#endif
