// The R package's way in: runs the commands in this process over the
// library's own sources, from R values to R values, one call or a whole
// vector of calls at a time (a data frame, a row per call).
#include <R.h>
#include <R_ext/Rdynload.h>
#include <R_ext/Visibility.h>
#include <Rinternals.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "binding.h"
#include "linked_api.h"

namespace {

using quorbel::commands::Answer;
using quorbel::commands::Command;
using quorbel::commands::CommandError;
using quorbel::commands::Given;
using quorbel::commands::GivenOptions;
using quorbel::commands::Option;
using quorbel::commands::Value;

// A scalar of an answer as jsonlite reads its JSON: whole numbers as
// integers where they fit, other numbers as doubles, null as NULL.
SEXP Scalar(const Value& value) {
  switch (value.type) {
    case Value::Type::kBool: return Rf_ScalarLogical(value.boolean);
    case Value::Type::kString: return Rf_mkString(value.text.c_str());
    case Value::Type::kNull: return R_NilValue;
    default: {
      const double number = quorbel::commands::AnswerNumber(value);
      if (quorbel::commands::IsWholeInJson(value) && number >= -2147483647.0 && number <= 2147483647.0)
        return Rf_ScalarInteger(static_cast<int>(number));
      return Rf_ScalarReal(number);
    }
  }
}

bool IsScalar(const Value& value) {
  return value.type != Value::Type::kObject && value.type != Value::Type::kArray;
}

SEXP ToR(const Value& value);

// An array of scalars as one vector (jsonlite's simplification): integers
// when every item is whole, doubles when any is not, logical or character
// when all are.
SEXP Atomic(const Value& array) {
  const R_xlen_t n = static_cast<R_xlen_t>(array.items.size());
  bool whole = true, numbers = true, logical = true, text = true;
  for (const Value& item : array.items) {
    const bool number = item.type == Value::Type::kInt || item.type == Value::Type::kFloat ||
                        item.type == Value::Type::kDouble;
    numbers &= number || item.type == Value::Type::kNull;
    whole &= item.type == Value::Type::kNull || (number && quorbel::commands::IsWholeInJson(item));
    logical &= item.type == Value::Type::kBool;
    text &= item.type == Value::Type::kString;
  }
  if (logical) {
    SEXP out = PROTECT(Rf_allocVector(LGLSXP, n));
    for (R_xlen_t i = 0; i < n; ++i) LOGICAL(out)[i] = array.items[static_cast<size_t>(i)].boolean;
    return UNPROTECT(1), out;
  }
  if (text) {
    SEXP out = PROTECT(Rf_allocVector(STRSXP, n));
    for (R_xlen_t i = 0; i < n; ++i) SET_STRING_ELT(out, i, Rf_mkChar(array.items[static_cast<size_t>(i)].text.c_str()));
    return UNPROTECT(1), out;
  }
  if (!numbers) return R_NilValue;  // mixed: left to the list form
  SEXP out = PROTECT(Rf_allocVector(whole ? INTSXP : REALSXP, n));
  for (R_xlen_t i = 0; i < n; ++i) {
    const Value& item = array.items[static_cast<size_t>(i)];
    const double number = item.type == Value::Type::kNull ? NA_REAL : quorbel::commands::AnswerNumber(item);
    if (whole) INTEGER(out)[i] = item.type == Value::Type::kNull ? NA_INTEGER : static_cast<int>(number);
    else REAL(out)[i] = number;
  }
  return UNPROTECT(1), out;
}

// What is kept of the objects of the answers, by their keys: the answers
// of a command share their keys from call to call, so the names vector is
// made once; and a loop gives most of its values again (its settings, at
// least), so the last R scalar made for each key is kept and given again
// while its value stays the same. Both are never changed (R copies a shared
// value before changing it). Up to kKeptObjects key sets are kept.
constexpr size_t kKeptObjects = 256;

struct KeptObject {
  std::vector<std::string> keys;
  SEXP names;                  // preserved
  SEXP scalars;                // preserved list: the scalar kept for each key, or NULL
  std::vector<Value> values;   // what each of those was made from
  std::vector<unsigned> misses;  // calls in a row whose value was not the one kept
};

bool SameKeys(const std::vector<std::string>& keys, const Value& object) {
  if (keys.size() != object.members.size()) return false;
  for (size_t i = 0; i < keys.size(); ++i)
    if (keys[i] != object.members[i].first) return false;
  return true;
}

// The names of an object whose keys are not kept.
SEXP FreshNames(const Value& object) {
  SEXP names = PROTECT(Rf_allocVector(STRSXP, static_cast<R_xlen_t>(object.members.size())));
  for (size_t i = 0; i < object.members.size(); ++i)
    SET_STRING_ELT(names, static_cast<R_xlen_t>(i), Rf_mkChar(object.members[i].first.c_str()));
  UNPROTECT(1);
  return names;
}

// The kept entry of an object's keys, made on first sight while there is
// room; null when there is none.
KeptObject* KeptFor(const Value& object) {
  static std::vector<KeptObject> kept;
  if (kept.empty()) kept.reserve(kKeptObjects);  // never moved: callers hold entries while nested ones are added
  for (KeptObject& entry : kept)
    if (SameKeys(entry.keys, object)) return &entry;
  if (kept.size() == kKeptObjects) return nullptr;
  const size_t n = object.members.size();
  KeptObject entry{{}, PROTECT(FreshNames(object)), R_NilValue, std::vector<Value>(n), std::vector<unsigned>(n)};
  R_PreserveObject(entry.names);
  UNPROTECT(1);
  MARK_NOT_MUTABLE(entry.names);
  for (const auto& member : object.members) entry.keys.push_back(member.first);
  entry.scalars = PROTECT(Rf_allocVector(VECSXP, static_cast<R_xlen_t>(n)));
  R_PreserveObject(entry.scalars);
  UNPROTECT(1);
  kept.push_back(std::move(entry));
  return &kept.back();
}

// The same scalar: the same type and the same bits.
bool SameScalar(const Value& a, const Value& b) {
  if (a.type != b.type) return false;
  switch (a.type) {
    case Value::Type::kBool: return a.boolean == b.boolean;
    case Value::Type::kInt: return a.integer == b.integer;
    case Value::Type::kFloat:
    case Value::Type::kDouble: return std::memcmp(&a.number, &b.number, sizeof a.number) == 0;
    case Value::Type::kString: return a.text == b.text;
    default: return true;
  }
}

// Member i's scalar: the one kept for that key while the value is the same.
// A new value is kept in its place, except that a field whose value keeps
// changing (an answer's, in a loop) is kept only once in kRekeepEvery
// misses, which spares the keeping yet lets a value that settles be kept.
constexpr unsigned kRekeepEvery = 16;

SEXP SharedScalar(KeptObject* kept, size_t i, const Value& value) {
  const R_xlen_t at = static_cast<R_xlen_t>(i);
  SEXP last = VECTOR_ELT(kept->scalars, at);
  if (last != R_NilValue && SameScalar(kept->values[i], value)) {
    kept->misses[i] = 0;
    return last;
  }
  SEXP scalar = Scalar(value);
  const bool keep = last == R_NilValue || kept->misses[i]++ % kRekeepEvery == 0;
  if (scalar == R_NilValue || !keep) return scalar;
  MARK_NOT_MUTABLE(scalar);
  SET_VECTOR_ELT(kept->scalars, at, scalar);
  kept->values[i] = value;
  return scalar;
}

// An empty list, or an empty named list for an empty object: every answer
// has some (its warnings, a command's defaults), so each is made once and
// shared, never changed (R copies a shared one before changing it).
SEXP Empty(bool object) {
  static SEXP kept[2] = {nullptr, nullptr};
  SEXP& empty = kept[object ? 1 : 0];
  if (empty == nullptr) {
    empty = PROTECT(Rf_allocVector(VECSXP, 0));
    if (object) Rf_setAttrib(empty, R_NamesSymbol, Rf_allocVector(STRSXP, 0));
    MARK_NOT_MUTABLE(empty);
    R_PreserveObject(empty);
    UNPROTECT(1);
  }
  return empty;
}

SEXP List(const Value& value) {
  const bool object = value.type == Value::Type::kObject;
  const size_t n = object ? value.members.size() : value.items.size();
  if (n == 0) return Empty(object);
  KeptObject* kept = object ? KeptFor(value) : nullptr;
  SEXP out = PROTECT(Rf_allocVector(VECSXP, static_cast<R_xlen_t>(n)));
  for (size_t i = 0; i < n; ++i) {
    const Value& item = object ? value.members[i].second : value.items[i];
    SET_VECTOR_ELT(out, static_cast<R_xlen_t>(i), kept != nullptr && IsScalar(item) ? SharedScalar(kept, i, item) : ToR(item));
  }
  if (object) Rf_setAttrib(out, R_NamesSymbol, kept != nullptr ? kept->names : FreshNames(value));
  UNPROTECT(1);
  return out;
}

SEXP ToR(const Value& value) {
  if (IsScalar(value)) return Scalar(value);
  if (value.type == Value::Type::kArray && !value.items.empty()) {
    bool scalars = true;
    for (const Value& item : value.items) scalars &= IsScalar(item);
    if (scalars) {
      SEXP atomic = Atomic(value);
      if (atomic != R_NilValue) return atomic;
    }
  }
  return List(value);
}

// A column of answers as an R vector: integers, doubles or logicals where
// every cell is one, a list otherwise.
SEXP ColumnToR(const quorbel::commands::Column& column) {
  const R_xlen_t n = static_cast<R_xlen_t>(column.types.size());
  const bool whole = column.Are(Value::Type::kInt);
  if (whole || column.AreNumbers() || column.Are(Value::Type::kBool)) {
    const bool logical = !whole && column.Are(Value::Type::kBool) && n > 0;
    SEXP out = PROTECT(Rf_allocVector(logical ? LGLSXP : whole ? INTSXP : REALSXP, n));
    for (R_xlen_t i = 0; i < n; ++i) {
      const double number = column.numbers[static_cast<size_t>(i)];
      if (logical) LOGICAL(out)[i] = number != 0;
      else if (whole) INTEGER(out)[i] = number >= -2147483647.0 && number <= 2147483647.0 ? static_cast<int>(number) : NA_INTEGER;
      else REAL(out)[i] = number;
    }
    UNPROTECT(1);
    return out;
  }
  if (column.Are(Value::Type::kString)) {
    SEXP out = PROTECT(Rf_allocVector(STRSXP, n));
    for (R_xlen_t i = 0; i < n; ++i) SET_STRING_ELT(out, i, Rf_mkChar(column.texts[static_cast<size_t>(i)].c_str()));
    UNPROTECT(1);
    return out;
  }
  SEXP out = PROTECT(Rf_allocVector(VECSXP, n));
  for (R_xlen_t i = 0; i < n; ++i) SET_VECTOR_ELT(out, i, ToR(column.At(static_cast<size_t>(i))));
  UNPROTECT(1);
  return out;
}

// A data frame of answers, one row each, one column per field (as the CSV's
// columns name them).
SEXP Frame(const quorbel::commands::Columns& table, R_xlen_t n) {
  const auto& columns = table.columns();
  SEXP frame = PROTECT(Rf_allocVector(VECSXP, static_cast<R_xlen_t>(columns.size())));
  SEXP names = PROTECT(Rf_allocVector(STRSXP, static_cast<R_xlen_t>(columns.size())));
  for (size_t c = 0; c < columns.size(); ++c) {
    SET_VECTOR_ELT(frame, static_cast<R_xlen_t>(c), ColumnToR(columns[c]));
    SET_STRING_ELT(names, static_cast<R_xlen_t>(c), Rf_mkChar(columns[c].key.c_str()));
  }
  Rf_setAttrib(frame, R_NamesSymbol, names);
  SEXP rowNames = PROTECT(Rf_allocVector(INTSXP, 2));
  INTEGER(rowNames)[0] = NA_INTEGER;
  INTEGER(rowNames)[1] = -static_cast<int>(n);
  Rf_setAttrib(frame, R_RowNamesSymbol, rowNames);
  Rf_setAttrib(frame, R_ClassSymbol, Rf_mkString("data.frame"));
  UNPROTECT(3);
  return frame;
}

// Element i of an R value (recycled when it has one), as a binding gives it.
// False for NA.
bool ReadGiven(SEXP values, R_xlen_t i, const Option& option, Given* given) {
  const R_xlen_t at = i == 0 || XLENGTH(values) == 1 ? 0 : i;
  switch (TYPEOF(values)) {
    case LGLSXP: {
      const int b = LOGICAL(values)[at];
      if (b == NA_LOGICAL) return false;
      *given = option.kind == quorbel::commands::OptionKind::kFlag ? Given::Flag(b != 0) : Given::Text(b ? "true" : "false");
      return true;
    }
    case INTSXP: {
      const int v = INTEGER(values)[at];
      if (v == NA_INTEGER) return false;
      *given = Given::Number(v);
      return true;
    }
    case REALSXP: {
      const double v = REAL(values)[at];
      if (ISNAN(v)) return false;  // NA too
      *given = Given::Number(v);
      return true;
    }
    case STRSXP: {
      SEXP v = STRING_ELT(values, at);
      if (v == NA_STRING) return false;
      *given = Given::Text(Rf_translateCharUTF8(v));
      return true;
    }
    default:
      *given = Given::Text("");
      return true;
  }
}

SEXP Outcome(int status, SEXP answer, const std::vector<quorbel::commands::Warning>& warnings) {
  SEXP out = PROTECT(Rf_allocVector(VECSXP, 3));
  SET_VECTOR_ELT(out, 0, Rf_ScalarInteger(status));
  SET_VECTOR_ELT(out, 1, answer);
  SET_VECTOR_ELT(out, 2, ToR(quorbel::commands::WarningsValue(warnings)));
  UNPROTECT(1);
  return out;
}

// The error of element i (from 1 in R) of a vector call, or of the call.
SEXP ErrorOutcome(const CommandError& error, R_xlen_t element) {
  Value fields = quorbel::commands::ErrorValue(error);
  if (element > 0) fields.Add("element", Value::Int(element));
  SEXP value = PROTECT(ToR(fields));
  SEXP out = Outcome(error.status, value, error.warnings);
  UNPROTECT(1);
  return out;
}

// The files of a call: each one name.
bool ReadFiles(SEXP values, std::vector<std::string>* files, std::string* fault) {
  SEXP names = Rf_getAttrib(values, R_NamesSymbol);
  for (R_xlen_t i = 0; i < XLENGTH(values); ++i) {
    SEXP file = VECTOR_ELT(values, i);
    if (TYPEOF(file) != STRSXP || XLENGTH(file) != 1 || STRING_ELT(file, 0) == NA_STRING) {
      *fault = std::string(CHAR(STRING_ELT(names, i)));
      return false;
    }
    files->emplace_back(Rf_translateCharUTF8(STRING_ELT(file, 0)));
  }
  return true;
}

// The options of a call, split into those of one value (read here, once)
// and those of n values (with their R vectors, read run by run); n is 0 when
// every option has one value. False, with *error set, for an unknown or NA
// argument or lengths that disagree.
struct CallOptions {
  GivenOptions fixed, changing;
  std::vector<SEXP> changingValues;
  R_xlen_t n = 0;
};

CommandError NotAValue(const Option& option) {
  return CommandError(option.name, option.argument + " is NA: give a value, or leave it out");
}

// The options of a call, one R value each in the order of the command's
// options (the package's functions pass every option, NULL when left out).
bool ReadOptions(const Command& command, const SEXP* values, size_t count, CallOptions* out, CommandError* error) {
  if (count != command.options.size())
    return *error = CommandError("", std::string("internal error: ") + command.name + " takes " +
                                         std::to_string(command.options.size()) + " options"),
           false;
  out->fixed.reserve(count);
  for (size_t j = 0; j < count; ++j) {
    SEXP value = values[j];
    if (value == R_NilValue) continue;
    const Option* option = &command.options[j];
    const R_xlen_t length = XLENGTH(value);
    if (length != 1 && out->n != 0 && length != out->n)
      return *error = CommandError(option->name, option->argument + " has " + std::to_string(length) +
                                                     " values where another argument has " + std::to_string(out->n)),
             false;
    Given given;
    if (length == 1 && !ReadGiven(value, 0, *option, &given)) return *error = NotAValue(*option), false;
    if (length == 1) {
      out->fixed.emplace_back(option, std::move(given));
    } else {
      out->n = length;
      out->changing.emplace_back(option, std::move(given));
      out->changingValues.push_back(value);
    }
  }
  return true;
}

// Run(index, files, options): files a named list by the package's argument
// names (NULL for none), options the command's, in its order, NULL where
// left out. Options of one value give one answer, a named list; options of
// a common length n (others of one value) give a data frame of n rows, one
// run each, the options of one value read once. The answer alone when it
// is quiet (*quiet set), else list(status, answer or error, warnings).
SEXP Run(SEXP indexValue, SEXP fileValues, const SEXP* optionValues, size_t optionCount, bool* quiet) {
  *quiet = false;
  const auto& all = quorbel::commands::Commands();
  const int index = Rf_asInteger(indexValue);
  if (index < 0 || index >= static_cast<int>(all.size())) Rf_error("quorbel: no such command");
  const Command& command = all[static_cast<size_t>(index)];
  std::vector<std::string> files;
  std::string fault;
  if (fileValues != R_NilValue && !ReadFiles(fileValues, &files, &fault))
    return ErrorOutcome(CommandError(fault, fault + " needs one file name"), 0);
  CallOptions options;
  CommandError refused("", "");
  if (!ReadOptions(command, optionValues, optionCount, &options, &refused)) return ErrorOutcome(refused, 0);
  // A vector call reads its fixed options once; a single call reads them as
  // it runs.
  std::optional<quorbel::commands::GivenRunner> runner;
  if (options.n > 0) runner.emplace(quorbel::host::LinkedApi(), command, files, options.fixed);
  quorbel::commands::Columns table(static_cast<size_t>(options.n));
  Value single;
  std::vector<quorbel::commands::Warning> warnings;
  for (R_xlen_t i = 0; i < (options.n > 0 ? options.n : 1); ++i) {
    const R_xlen_t element = options.n > 0 ? i + 1 : 0;
    for (size_t j = 0; j < options.changing.size(); ++j)
      if (!ReadGiven(options.changingValues[j], i, *options.changing[j].first, &options.changing[j].second))
        return ErrorOutcome(NotAValue(*options.changing[j].first), element);
    try {
      Answer answer = runner ? runner->Run(options.changing)
                             : quorbel::commands::RunGiven(quorbel::host::LinkedApi(), command, files, options.fixed);
      warnings.insert(warnings.end(), answer.warnings.begin(), answer.warnings.end());
      if (options.n > 0) table.Add(answer.value);
      else single = std::move(answer.value);
    } catch (const CommandError& error) {
      return ErrorOutcome(error, element);
    } catch (const std::exception& failure) {
      return ErrorOutcome(CommandError("", std::string("internal error: ") + failure.what()), element);
    }
  }
  SEXP answer = PROTECT(options.n > 0 ? Frame(table, options.n) : ToR(single));
  *quiet = warnings.empty();
  SEXP out = *quiet ? answer : Outcome(0, answer, warnings);
  UNPROTECT(1);
  return out;
}

// The package's .signal(outcome): issues the warnings as quorbel_warning
// conditions, signals the error, and gives the answer.
SEXP Signal(SEXP outcome) {
  static SEXP package = nullptr;
  if (package == nullptr) {
    SEXP name = PROTECT(Rf_mkString("quorbel"));
    package = R_FindNamespace(name);
    R_PreserveObject(package);
    UNPROTECT(1);
  }
  SEXP call = PROTECT(Rf_lang2(Rf_install(".signal"), outcome));
  SEXP answer = Rf_eval(call, package);
  UNPROTECT(1);
  return answer;
}

// The answer of a call of the package's function (see Run): signalling
// conditions may leave by a long jump, so it is done here, after every C++
// object of the run is gone; a quiet answer is given back as it is.
SEXP Call(SEXP indexValue, SEXP fileValues, const SEXP* optionValues, size_t optionCount) {
  bool quiet = false;
  SEXP outcome = PROTECT(Run(indexValue, fileValues, optionValues, optionCount, &quiet));
  SEXP answer = quiet ? outcome : Signal(outcome);
  UNPROTECT(1);
  return answer;
}

// C_quorbel_call_k(index, files, option 1, ..., option k): one entry point
// for each count of options, so that R passes the options as they are,
// with no list to build.
template <size_t>
using OptionValue = SEXP;

template <size_t... I>
SEXP CallWith(SEXP indexValue, SEXP fileValues, OptionValue<I>... options) {
  const SEXP values[] = {R_NilValue, options...};  // the first is a placeholder: no array is empty
  return Call(indexValue, fileValues, values + 1, sizeof...(I));
}

template <size_t... I>
DL_FUNC EntryOf(std::index_sequence<I...>) {
  return reinterpret_cast<DL_FUNC>(&CallWith<I...>);
}

// The command table as JSON (as "quorbel --commands-json" prints it).
SEXP QuorbelCommands() { return Rf_mkString(quorbel::commands::CommandTableJson().c_str()); }

// The most options a command has; the generated functions call the entry
// point of their command's count.
constexpr int kMostOptions = 16;

template <size_t... K>
std::vector<R_CallMethodDef> CallsOf(std::index_sequence<K...>) {
  static const std::string names[] = {("C_quorbel_call_" + std::to_string(K))...};
  std::vector<R_CallMethodDef> calls = {
      {names[K].c_str(), EntryOf(std::make_index_sequence<K>()), static_cast<int>(K) + 2}...};
  calls.push_back({"C_quorbel_commands", reinterpret_cast<DL_FUNC>(&QuorbelCommands), 0});
  calls.push_back({nullptr, nullptr, 0});
  return calls;
}

}  // namespace

// Visible, though everything else of the package is hidden.
extern "C" attribute_visible void R_init_quorbel(DllInfo* info) {
  static const std::vector<R_CallMethodDef> calls = CallsOf(std::make_index_sequence<kMostOptions + 1>());
  R_registerRoutines(info, nullptr, calls.data(), nullptr, nullptr);
  R_useDynamicSymbols(info, FALSE);
  R_forceSymbols(info, TRUE);
}
