// See csv.h.
#include "csv.h"

#include <stdexcept>
#include <vector>

namespace quorbel::cli {
namespace {

// A parsed JSON value: a scalar keeps its text as written (numbers exactly
// as the tool printed them), objects keep their key order.
struct Value {
  enum Kind { kScalar, kString, kObject, kArray } kind = kScalar;
  std::string text;
  std::vector<std::pair<std::string, Value>> members;
  std::vector<Value> items;
};

class Parser {
 public:
  explicit Parser(const std::string& text) : text_(text) {}
  Value Parse() {
    Value value = Next();
    Skip();
    if (at_ != text_.size()) Fail();
    return value;
  }

 private:
  [[noreturn]] void Fail() { throw std::runtime_error("the answer is not JSON"); }
  void Skip() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r')) ++at_;
  }
  char Peek() {
    Skip();
    if (at_ >= text_.size()) Fail();
    return text_[at_];
  }
  void Expect(char c) {
    if (Peek() != c) Fail();
    ++at_;
  }
  std::string String() {
    Expect('"');
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      if (text_[at_] == '\\' && at_ + 1 < text_.size()) {
        const char escaped = text_[++at_];
        if (escaped == 'u' && at_ + 4 < text_.size()) {
          out += static_cast<char>(std::stoi(text_.substr(at_ + 1, 4), nullptr, 16));
          at_ += 4;
        } else {
          out += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
        }
        ++at_;
        continue;
      }
      out += text_[at_++];
    }
    Expect('"');
    return out;
  }
  Value Next() {
    Value value;
    const char c = Peek();
    if (c == '{') {
      value.kind = Value::kObject;
      ++at_;
      if (Peek() == '}') return ++at_, value;
      while (true) {
        std::string key = String();
        Expect(':');
        value.members.emplace_back(std::move(key), Next());
        if (Peek() == '}') return ++at_, value;
        Expect(',');
      }
    }
    if (c == '[') {
      value.kind = Value::kArray;
      ++at_;
      if (Peek() == ']') return ++at_, value;
      while (true) {
        value.items.push_back(Next());
        if (Peek() == ']') return ++at_, value;
        Expect(',');
      }
    }
    if (c == '"') {
      value.kind = Value::kString;
      value.text = String();
      return value;
    }
    const size_t start = at_;
    while (at_ < text_.size() && std::string(",]} \n\r").find(text_[at_]) == std::string::npos) ++at_;
    if (at_ == start) Fail();
    value.text = text_.substr(start, at_ - start);
    return value;
  }
  const std::string& text_;
  size_t at_ = 0;
};

bool IsRowArray(const Value& v) { return v.kind == Value::kArray && !v.items.empty() && v.items[0].kind == Value::kObject; }

// Appends the columns of `v` under `prefix`: objects by dotted keys, arrays
// of scalars joined by spaces; `skip` (the row array) is left out.
void Flatten(const Value& v, const std::string& prefix, const Value* skip,
             std::vector<std::pair<std::string, std::string>>* out) {
  if (&v == skip) return;
  if (v.kind == Value::kObject) {
    for (const auto& [key, member] : v.members) Flatten(member, prefix.empty() ? key : prefix + "." + key, skip, out);
  } else if (v.kind == Value::kArray) {
    std::string joined;
    for (const Value& item : v.items) {
      std::vector<std::pair<std::string, std::string>> inner;
      Flatten(item, "", nullptr, &inner);
      for (const auto& cell : inner) joined += (joined.empty() ? "" : " ") + cell.second;
    }
    out->emplace_back(prefix, joined);
  } else {
    out->emplace_back(prefix, v.text);
  }
}

std::string Cell(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string Line(const std::vector<std::string>& cells) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) line += (i == 0 ? "" : ",") + Cell(cells[i]);
  return line + "\n";
}

}  // namespace

std::string JsonToCsv(const std::string& json) {
  const Value answer = Parser(json).Parse();
  const Value* rows = nullptr;
  std::string rowsKey;
  if (IsRowArray(answer)) rows = &answer;
  for (const auto& [key, member] : answer.members)
    if (rows == nullptr && IsRowArray(member)) {
      rows = &member;
      rowsKey = key;
    }
  std::vector<std::pair<std::string, std::string>> shared;
  Flatten(answer, "", rows, &shared);
  std::vector<std::vector<std::pair<std::string, std::string>>> table;
  if (rows == nullptr) table.push_back({});
  else
    for (const Value& item : rows->items) {
      table.emplace_back();
      Flatten(item, rowsKey, nullptr, &table.back());
    }
  std::vector<std::string> header;
  for (const auto& cell : table[0]) header.push_back(cell.first);
  for (const auto& cell : shared) header.push_back(cell.first);
  std::string csv = Line(header);
  for (const auto& row : table) {
    std::vector<std::string> cells;
    for (const auto& cell : row) cells.push_back(cell.second);
    for (const auto& cell : shared) cells.push_back(cell.second);
    csv += Line(cells);
  }
  return csv;
}

}  // namespace quorbel::cli
