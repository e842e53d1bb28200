// The CSV renderer of an answer. See RenderCsv in value.h.
#include <functional>
#include <string>
#include <vector>

#include "value.h"

namespace quorbel::commands {
namespace {

using Cells = std::vector<std::pair<std::string, std::string>>;

// Keys of an answer that describe it rather than make its table rows.
bool IsAboutTheAnswer(const std::string& key) { return key == "settings" || key == "warnings"; }

bool IsRowArray(const Value& v) {
  return v.type == Value::Type::kArray && !v.items.empty() && v.items[0].type == Value::Type::kObject;
}

// The warnings as one cell: their messages, separated by "; ".
std::string WarningsCell(const Value& warnings) {
  std::string cell;
  for (const Value& warning : warnings.items)
    if (const Value* message = warning.Find("message")) cell += (cell.empty() ? "" : "; ") + message->text;
  return cell;
}

// Appends the columns of `v` under `prefix`: objects by dotted keys, arrays
// joined by spaces; `skip` (the row array) is left out.
void Flatten(const Value& v, const std::string& prefix, const Value* skip, Cells* out) {
  if (&v == skip) return;
  if (prefix == "warnings") {
    out->emplace_back(prefix, WarningsCell(v));
  } else if (v.type == Value::Type::kObject) {
    for (const auto& [key, member] : v.members) Flatten(member, prefix.empty() ? key : prefix + "." + key, skip, out);
  } else if (v.type == Value::Type::kArray) {
    std::string joined;
    for (const Value& item : v.items) {
      Cells inner;
      Flatten(item, "", nullptr, &inner);
      for (const auto& cell : inner) joined += (joined.empty() ? "" : " ") + cell.second;
    }
    out->emplace_back(prefix, joined);
  } else {
    out->emplace_back(prefix, ScalarText(v));
  }
}

std::string Cell(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string Line(const Cells& cells, bool names) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) line += (i == 0 ? "" : ",") + Cell(names ? cells[i].first : cells[i].second);
  return line + "\n";
}

// The scalars of `v` in FlattenScalars' order, each with its own name (the
// last part of its dotted key) and, when `prefix` is given, its key.
template <class Visit>
void VisitScalars(const Value& v, const std::string& name, std::string* prefix, Visit& visit) {
  if (name == "warnings" && (prefix == nullptr || *prefix == "warnings")) {
    visit(name, Value::String(WarningsCell(v)));
  } else if (v.type == Value::Type::kObject) {
    for (const auto& [key, member] : v.members) {
      const size_t length = prefix != nullptr ? prefix->size() : 0;
      if (prefix != nullptr) *prefix += (prefix->empty() ? "" : ".") + key;
      VisitScalars(member, key, prefix, visit);
      if (prefix != nullptr) prefix->resize(length);
    }
  } else if (v.type == Value::Type::kArray) {
    Cells cells;
    Flatten(v, name, nullptr, &cells);
    visit(name, Value::String(cells.empty() ? "" : cells[0].second));
  } else {
    visit(name, v);
  }
}

}  // namespace

std::vector<std::pair<std::string, Value>> FlattenScalars(const Value& answer) {
  std::vector<std::pair<std::string, Value>> out;
  std::string key;
  auto add = [&](const std::string&, const Value& value) { out.emplace_back(key, value); };
  VisitScalars(answer, "", &key, add);
  return out;
}

void ForEachScalar(const Value& answer, const std::function<void(const std::string& name, const Value& value)>& visit) {
  VisitScalars(answer, "", nullptr, visit);
}

std::string RenderCsv(const Value& answer) {
  const Value* rows = IsRowArray(answer) ? &answer : nullptr;
  std::string rowsKey;
  for (const auto& [key, member] : answer.members)
    if (rows == nullptr && !IsAboutTheAnswer(key) && IsRowArray(member)) {
      rows = &member;
      rowsKey = key;
    }
  Cells shared;
  Flatten(answer, "", rows, &shared);
  std::vector<Cells> table;
  if (rows == nullptr) table.emplace_back();
  else
    for (const Value& item : rows->items) {
      table.emplace_back();
      Flatten(item, rowsKey, nullptr, &table.back());
    }
  for (Cells& row : table) row.insert(row.end(), shared.begin(), shared.end());
  std::string csv = Line(table[0], true);
  for (const Cells& row : table) csv += Line(row, false);
  return csv;
}

}  // namespace quorbel::commands
