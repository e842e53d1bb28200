// The text renderer's pieces: numbers written so that they read back as the
// same float or double, aligned tables, and reading an answer's values.
#ifndef QUORBEL_COMMANDS_OUTPUT_H
#define QUORBEL_COMMANDS_OUTPUT_H

#include <string>
#include <vector>

#include "value.h"

namespace quorbel::commands {

// The shortest decimal text that reads back as exactly `value`.
std::string FloatText(float value);
std::string DoubleText(double value);

// printf into a string.
std::string Format(const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Rows under a header, each column right-aligned to its widest cell and
// led by two spaces.
std::string TableText(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows);

// Reading an answer: a member (a missing one is a fault of the renderer),
// a member's scalar as the JSON shows it, its number, its whole number, and
// a setting in effect by its argument name.
const Value& At(const Value& value, const char* key);
std::string Shown(const Value& value, const char* key);
double Number(const Value& value, const char* key);
long long Whole(const Value& value, const char* key);
const Value& Setting(const Value& answer, const char* argument);

}  // namespace quorbel::commands

#endif
