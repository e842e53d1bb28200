// See value.h.
#include "value.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "output.h"

namespace quorbel::commands {

Value Value::Bool(bool b) {
  Value v = Of(Type::kBool);
  v.boolean = b;
  return v;
}

Value Value::Int(long long i) {
  Value v = Of(Type::kInt);
  v.integer = i;
  return v;
}

Value Value::Float(float f) {
  if (!std::isfinite(f)) return Value();
  Value v = Of(Type::kFloat);
  v.number = f;
  return v;
}

Value Value::Double(double d) {
  if (!std::isfinite(d)) return Value();
  Value v = Of(Type::kDouble);
  v.number = d;
  return v;
}

Value Value::String(std::string s) {
  Value v = Of(Type::kString);
  v.text = std::move(s);
  return v;
}

Value& Value::Add(std::string key, Value value) {
  if (members.empty()) members.reserve(kFirstMembers);  // most answers' objects hold a handful
  members.emplace_back(std::move(key), std::move(value));
  return members.back().second;
}

Value& Value::Push(Value value) {
  items.push_back(std::move(value));
  return items.back();
}

const Value* Value::Find(const std::string& key) const {
  for (const auto& [name, member] : members)
    if (name == key) return &member;
  return nullptr;
}

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
      continue;
    }
    out += c;
  }
  return out + '"';
}

void AppendJson(const Value& v, std::string* out) {
  switch (v.type) {
    case Value::Type::kObject: {
      *out += "{";
      for (size_t i = 0; i < v.members.size(); ++i) {
        *out += (i == 0 ? "" : ", ") + Quoted(v.members[i].first) + ": ";
        AppendJson(v.members[i].second, out);
      }
      *out += "}";
      return;
    }
    case Value::Type::kArray:
      *out += "[";
      for (size_t i = 0; i < v.items.size(); ++i) {
        if (i > 0) *out += ", ";
        AppendJson(v.items[i], out);
      }
      *out += "]";
      return;
    case Value::Type::kString:
      *out += Quoted(v.text);
      return;
    default:
      *out += ScalarText(v);
  }
}

}  // namespace

std::string ScalarText(const Value& v) {
  switch (v.type) {
    case Value::Type::kNull: return "null";
    case Value::Type::kBool: return v.boolean ? "true" : "false";
    case Value::Type::kInt: return std::to_string(v.integer);
    case Value::Type::kFloat: return FloatText(static_cast<float>(v.number));
    case Value::Type::kDouble: return DoubleText(v.number);
    case Value::Type::kString: return v.text;
    default: return RenderJson(v);
  }
}

std::string RenderJson(const Value& value) {
  std::string out;
  AppendJson(value, &out);
  return out;
}

ValueBuilder& ValueBuilder::Put(const char* key, Value value) {
  if (depth_ == 0) throw std::logic_error("a value outside an object or array");
  Value& parent = *open_[depth_ - 1];
  if (parent.type == Value::Type::kObject) parent.Add(key != nullptr ? key : "", std::move(value));
  else parent.Push(std::move(value));
  return *this;
}

ValueBuilder& ValueBuilder::Open(const char* key, Value value) {
  if (depth_ == kDeepest) throw std::logic_error("values nested too deep");
  if (depth_ == 0) {
    root_ = std::move(value);
    open_[depth_++] = &root_;
    return *this;
  }
  Value& parent = *open_[depth_ - 1];
  Value* child = parent.type == Value::Type::kObject ? &parent.Add(key != nullptr ? key : "", std::move(value))
                                                     : &parent.Push(std::move(value));
  open_[depth_++] = child;
  return *this;
}

ValueBuilder& ValueBuilder::Begin(const char* key) { return Open(key, Value::Object()); }
ValueBuilder& ValueBuilder::BeginArray(const char* key) { return Open(key, Value::Array()); }

ValueBuilder& ValueBuilder::End() {
  if (depth_ == 0) throw std::logic_error("an end without a beginning");
  --depth_;
  return *this;
}

ValueBuilder& ValueBuilder::Interval(const char* key, double lower, double upper) {
  return Begin(key).Double("lower", lower).Double("upper", upper).End();
}

namespace {
thread_local Value* g_answer = nullptr;
}

void CollectAnswer(Value* sink) { g_answer = sink; }

void ValueBuilder::Deliver() {
  if (g_answer != nullptr) *g_answer = std::move(root_);
}

}  // namespace quorbel::commands
