// An answer as a value: a tree of typed values that the three renderers
// draw (text tables, JSON, CSV) and the bindings convert to their own types.
#ifndef QUORBEL_COMMANDS_VALUE_H
#define QUORBEL_COMMANDS_VALUE_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quorbel::commands {

struct Value {
  // A float is a value the library holds in single precision: it is written
  // with the fewest digits that read back as the same float.
  enum class Type { kNull, kBool, kInt, kFloat, kDouble, kString, kArray, kObject };
  Type type = Type::kNull;
  bool boolean = false;
  long long integer = 0;
  double number = 0;  // kFloat and kDouble
  std::string text;
  std::vector<std::pair<std::string, Value>> members;  // kObject, in order
  std::vector<Value> items;                            // kArray

  static Value Object() { return Of(Type::kObject); }
  static Value Array() { return Of(Type::kArray); }
  static Value Bool(bool b);
  static Value Int(long long i);
  static Value Float(float f);    // null when not finite
  static Value Double(double d);  // null when not finite
  static Value String(std::string s);

  // Adds a member to an object (in order), or an item to an array.
  Value& Add(std::string key, Value value);
  Value& Push(Value value);
  // The member of that key, or null.
  const Value* Find(const std::string& key) const;

 private:
  // Seven members stay under 1 KiB, which the allocator serves from its
  // per-thread cache; eight would not.
  static constexpr size_t kFirstMembers = 7;
  static Value Of(Type type) {
    Value v;
    v.type = type;
    return v;
  }
};

// JSON with the keys in order, ", " and ": " between, doubles to round-trip
// precision, floats to the shortest text that reads back as the float.
std::string RenderJson(const Value& value);

// A table with a header row: the answer's first array of records gives the
// rows (its keys prefixed with the array's key), and every other field is a
// column repeated on each row; objects flatten to dotted keys, arrays of
// scalars to their items joined by spaces. The settings and warnings do not
// make rows.
std::string RenderCsv(const Value& value);

// An answer as one record: its scalars by dotted keys, as the CSV's columns
// name them; an array as its items joined by spaces, the warnings as their
// messages joined by "; " (the bindings' data frames).
std::vector<std::pair<std::string, Value>> FlattenScalars(const Value& answer);

// The same scalars in the same order, each with its own name (the last part
// of its key) rather than its key: cheaper, for records of one shape.
void ForEachScalar(const Value& answer, const std::function<void(const std::string& name, const Value& value)>& visit);

// A scalar as the text the JSON holds for it (a string without quotes).
std::string ScalarText(const Value& value);

// Builds a value by nesting, as a streaming writer would: Begin/End an
// object, BeginArray/EndArray an array, and keyed (or, inside an array,
// unkeyed) scalars. Deliver() hands the finished value to the answer being
// computed on this thread.
class ValueBuilder {
 public:
  ValueBuilder& Begin(const char* key = nullptr);  // object
  ValueBuilder& BeginArray(const char* key = nullptr);
  ValueBuilder& End();
  ValueBuilder& EndArray() { return End(); }
  ValueBuilder& Int(const char* key, long long value) { return Put(key, Value::Int(value)); }
  ValueBuilder& Float(const char* key, float value) { return Put(key, Value::Float(value)); }
  ValueBuilder& Double(const char* key, double value) { return Put(key, Value::Double(value)); }
  ValueBuilder& Interval(const char* key, double lower, double upper);  // {"lower": .., "upper": ..}
  ValueBuilder& Bool(const char* key, bool value) { return Put(key, Value::Bool(value)); }
  ValueBuilder& String(const char* key, const std::string& value) { return Put(key, Value::String(value)); }
  const Value& value() const { return root_; }
  void Deliver();  // the builder is empty afterwards

 private:
  ValueBuilder& Put(const char* key, Value value);
  ValueBuilder& Open(const char* key, Value value);
  // The values open, outermost first: answers nest a few levels deep, so
  // they are kept here rather than in a vector of their own.
  static constexpr size_t kDeepest = 16;
  Value root_;
  Value* open_[kDeepest] = {};
  size_t depth_ = 0;
};

// The answer a command delivers on this thread while `sink` is set.
void CollectAnswer(Value* sink);

}  // namespace quorbel::commands

#endif
