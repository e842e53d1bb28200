// Output of the command-line host: aligned tables for people, JSON for
// programs, and numbers written so that they read back as the same float.
#ifndef QUORBEL_CLI_OUTPUT_H
#define QUORBEL_CLI_OUTPUT_H

#include <string>
#include <vector>

namespace quorbel::cli {

// The shortest decimal text that reads back as exactly `value`.
std::string FloatText(float value);
std::string DoubleText(double value);

// Prints rows under a header, each column right-aligned to its widest cell.
void PrintTable(const std::vector<std::string>& header,
                const std::vector<std::vector<std::string>>& rows);

// A small streaming JSON writer; keys are plain ASCII names.
class Json {
 public:
  Json& Begin(const char* key = nullptr);  // object
  Json& BeginArray(const char* key = nullptr);
  Json& End();
  Json& EndArray();
  Json& Int(const char* key, long long value);
  Json& Float(const char* key, float value);
  Json& Double(const char* key, double value);  // round-trip precision
  Json& Interval(const char* key, double lower, double upper);  // {"lower": .., "upper": ..}
  Json& Bool(const char* key, bool value);
  Json& String(const char* key, const std::string& value);
  void Print() const;  // to standard output (or the capture), with a final newline

 private:
  void Key(const char* key);
  std::string text_;
  std::vector<bool> first_;
};

// While `sink` is set, JSON printed on this thread is appended to it
// instead of going to standard output (null ends the capture).
void CaptureJson(std::string* sink);

}  // namespace quorbel::cli

#endif
