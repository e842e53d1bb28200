// See output.h.
#include "output.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quorbel::cli {

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
      std::printf("%s%*s", c == 0 ? "  " : "  ", static_cast<int>(width[c]), row[c].c_str());
    std::printf("\n");
  };
  printRow(header);
  for (const auto& row : rows) printRow(row);
}

void Json::Key(const char* key) {
  if (!first_.empty()) {
    if (!first_.back()) text_ += ", ";
    first_.back() = false;
  }
  if (key != nullptr) text_ += std::string("\"") + key + "\": ";
}

Json& Json::Begin(const char* key) {
  Key(key);
  text_ += "{";
  first_.push_back(true);
  return *this;
}

Json& Json::BeginArray(const char* key) {
  Key(key);
  text_ += "[";
  first_.push_back(true);
  return *this;
}

Json& Json::End() {
  text_ += "}";
  first_.pop_back();
  return *this;
}

Json& Json::EndArray() {
  text_ += "]";
  first_.pop_back();
  return *this;
}

Json& Json::Int(const char* key, long long value) {
  Key(key);
  text_ += std::to_string(value);
  return *this;
}

Json& Json::Float(const char* key, float value) {
  Key(key);
  // JSON has no infinities or NaN: they are written as null.
  text_ += std::isfinite(value) ? FloatText(value) : "null";
  return *this;
}

Json& Json::Double(const char* key, double value) {
  Key(key);
  text_ += std::isfinite(value) ? DoubleText(value) : "null";
  return *this;
}

Json& Json::Interval(const char* key, double lower, double upper) {
  return Begin(key).Double("lower", lower).Double("upper", upper).End();
}

Json& Json::Bool(const char* key, bool value) {
  Key(key);
  text_ += value ? "true" : "false";
  return *this;
}

Json& Json::String(const char* key, const std::string& value) {
  Key(key);
  text_ += '"';
  for (char c : value) {
    if (c == '"' || c == '\\') text_ += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      text_ += escaped;
      continue;
    }
    text_ += c;
  }
  text_ += '"';
  return *this;
}

namespace {
thread_local std::string* g_jsonSink = nullptr;
}

void CaptureJson(std::string* sink) { g_jsonSink = sink; }

void Json::Print() const {
  if (g_jsonSink != nullptr) {
    *g_jsonSink += text_;
    return;
  }
  std::printf("%s\n", text_.c_str());
}

}  // namespace quorbel::cli
