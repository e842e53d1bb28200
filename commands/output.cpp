// See output.h.
#include "output.h"

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <stdexcept>

namespace quorbel::commands {

std::string FloatText(float value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char text[32];
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  return text;
}

std::string DoubleText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char text[40];
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::strtod(text, nullptr) == value) break;
  }
  return text;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

std::string TableText(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> width(header.size());
  for (size_t c = 0; c < header.size(); ++c) width[c] = header[c].size();
  for (const auto& row : rows)
    for (size_t c = 0; c < row.size() && c < width.size(); ++c)
      if (row[c].size() > width[c]) width[c] = row[c].size();
  std::string text;
  auto addRow = [&](const std::vector<std::string>& row) {
    for (size_t c = 0; c < row.size(); ++c) {
      const size_t w = c < width.size() ? width[c] : 0;
      text += std::string(2 + w - std::min(row[c].size(), w), ' ') + row[c];
    }
    text += "\n";
  };
  addRow(header);
  for (const auto& row : rows) addRow(row);
  return text;
}

const Value& At(const Value& value, const char* key) {
  const Value* member = value.Find(key);
  if (member == nullptr) throw std::logic_error(std::string("the answer has no ") + key);
  return *member;
}

std::string Shown(const Value& value, const char* key) { return ScalarText(At(value, key)); }

double Number(const Value& value, const char* key) { return At(value, key).number; }

long long Whole(const Value& value, const char* key) { return At(value, key).integer; }

const Value& Setting(const Value& answer, const char* argument) { return At(At(answer, "settings"), argument); }

}  // namespace quorbel::commands
