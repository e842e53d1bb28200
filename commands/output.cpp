// See output.h.
#include "output.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

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

void PrintTable(const std::vector<std::string>& header,
                const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> width(header.size());
  for (size_t c = 0; c < header.size(); ++c) width[c] = header[c].size();
  for (const auto& row : rows)
    for (size_t c = 0; c < row.size() && c < width.size(); ++c)
      if (row[c].size() > width[c]) width[c] = row[c].size();
  auto printRow = [&](const std::vector<std::string>& row) {
    for (size_t c = 0; c < row.size(); ++c)
      std::printf("  %*s", static_cast<int>(width[c]), row[c].c_str());
    std::printf("\n");
  };
  printRow(header);
  for (const auto& row : rows) printRow(row);
}

}  // namespace quorbel::commands
