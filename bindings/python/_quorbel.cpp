// The Python extension: runs the commands in this process, over the
// library's own sources compiled in, from typed Python values to Python
// values, one call or a whole vector of calls at a time. quorbel/__init__.py
// makes one Python function per command of the table this module gives.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "binding.h"
#include "linked_api.h"
#include "quorbel.h"

namespace {

using quorbel::commands::Answer;
using quorbel::commands::Command;
using quorbel::commands::CommandError;
using quorbel::commands::Given;
using quorbel::commands::GivenOptions;
using quorbel::commands::Value;

// Set by quorbel/__init__.py: raise_error(error_dict, status, index) raises
// QuorbelError; warn(list_of_warning_dicts) issues QuorbelWarnings.
PyObject* g_raise = nullptr;
PyObject* g_warn = nullptr;
PyObject* g_arrayType = nullptr;  // numpy.ndarray, or None without NumPy

// The keys of answers, made once.
PyObject* Key(const std::string& key) {
  static std::unordered_map<std::string, PyObject*> keys;
  PyObject*& cached = keys[key];
  if (cached == nullptr) cached = PyUnicode_InternFromString(key.c_str());
  return cached;
}

PyObject* ToPython(const Value& value) {
  switch (value.type) {
    case Value::Type::kNull: Py_RETURN_NONE;
    case Value::Type::kBool: return PyBool_FromLong(value.boolean);
    case Value::Type::kInt: return PyLong_FromLongLong(value.integer);
    case Value::Type::kFloat:
    case Value::Type::kDouble:
      if (quorbel::commands::IsWholeInJson(value)) return PyLong_FromLongLong(static_cast<long long>(value.number));
      return PyFloat_FromDouble(quorbel::commands::AnswerNumber(value));
    case Value::Type::kString: return PyUnicode_FromStringAndSize(value.text.data(), static_cast<Py_ssize_t>(value.text.size()));
    case Value::Type::kArray: {
      PyObject* list = PyList_New(static_cast<Py_ssize_t>(value.items.size()));
      for (size_t i = 0; list != nullptr && i < value.items.size(); ++i) {
        PyObject* item = ToPython(value.items[i]);
        if (item == nullptr) return Py_DECREF(list), nullptr;
        PyList_SET_ITEM(list, static_cast<Py_ssize_t>(i), item);
      }
      return list;
    }
    case Value::Type::kObject: {
      PyObject* dict = PyDict_New();
      for (const auto& [key, member] : value.members) {
        PyObject* item = ToPython(member);
        if (item == nullptr || PyDict_SetItem(dict, Key(key), item) < 0) return Py_XDECREF(item), Py_DECREF(dict), nullptr;
        Py_DECREF(item);
      }
      return dict;
    }
  }
  Py_RETURN_NONE;
}

// A Python value as the binding gives it to a command.
bool ReadGiven(PyObject* object, const quorbel::commands::Option& option, Given* given) {
  if (option.kind == quorbel::commands::OptionKind::kFlag) {
    const int truth = PyObject_IsTrue(object);
    if (truth < 0) return false;
    *given = Given::Flag(truth != 0);
  } else if (PyBool_Check(object)) {
    *given = Given::Text(object == Py_True ? "true" : "false");
  } else if (PyFloat_Check(object)) {
    *given = Given::Number(PyFloat_AS_DOUBLE(object));
  } else if (PyLong_Check(object) || (PyIndex_Check(object) && !PyUnicode_Check(object))) {
    int overflow = 0;
    const long long whole = PyLong_Check(object) ? PyLong_AsLongLongAndOverflow(object, &overflow) : 0;
    if (PyLong_Check(object) && overflow == 0 && whole > -(1LL << 53) && whole < (1LL << 53)) {
      *given = Given::Number(static_cast<double>(whole));  // exact: written back as the same digits
      return true;
    }
    PyObject* text = PyObject_Str(object);
    if (text == nullptr) return false;
    *given = Given::Text(PyUnicode_AsUTF8(text));
    Py_DECREF(text);
  } else if (PyNumber_Check(object) && !PyUnicode_Check(object)) {
    const double number = PyFloat_AsDouble(object);
    if (number == -1.0 && PyErr_Occurred()) return false;
    *given = Given::Number(number);
  } else {
    PyObject* text = PyObject_Str(object);
    if (text == nullptr) return false;
    const char* utf8 = PyUnicode_AsUTF8(text);
    if (utf8 == nullptr) return Py_DECREF(text), false;
    *given = Given::Text(utf8);
    Py_DECREF(text);
  }
  return true;
}

// The options of a call, each read by its kind.
bool ReadOptions(const std::vector<std::pair<const quorbel::commands::Option*, PyObject*>>& given,
                 GivenOptions* options) {
  options->resize(given.size());
  for (size_t i = 0; i < given.size(); ++i) {
    (*options)[i].first = given[i].first;
    if (!ReadGiven(given[i].second, *given[i].first, &(*options)[i].second)) return false;
  }
  return true;
}

const Command* CommandAt(Py_ssize_t index) {
  const auto& all = quorbel::commands::Commands();
  if (index < 0 || index >= static_cast<Py_ssize_t>(all.size())) {
    PyErr_SetString(PyExc_IndexError, "no such command");
    return nullptr;
  }
  return &all[static_cast<size_t>(index)];
}

// The files, as str or path objects.
bool ReadFiles(PyObject* const* paths, Py_ssize_t count, std::vector<std::string>* files) {
  for (Py_ssize_t i = 0; i < count; ++i) {
    PyObject* path = PyOS_FSPath(paths[i]);
    if (path == nullptr) return false;
    const char* utf8 = PyUnicode_Check(path) ? PyUnicode_AsUTF8(path) : PyBytes_AsString(path);
    if (utf8 != nullptr) files->emplace_back(utf8);
    Py_DECREF(path);
    if (utf8 == nullptr) return false;
  }
  return true;
}
bool ReadFiles(PyObject* tuple, std::vector<std::string>* files) {
  return ReadFiles(PySequence_Fast_ITEMS(tuple), PyTuple_GET_SIZE(tuple), files);
}

// The option of each keyword, or a TypeError naming the unknown ones.
bool ReadKeywords(const Command& command, PyObject* keywords, std::vector<std::pair<const quorbel::commands::Option*, PyObject*>>* out) {
  PyObject *key, *value;
  Py_ssize_t position = 0;
  std::string unknown;
  while (PyDict_Next(keywords, &position, &key, &value)) {
    const char* name = PyUnicode_AsUTF8(key);
    if (name == nullptr) return false;
    const quorbel::commands::Option* option = quorbel::commands::OptionByArgument(command, name);
    if (option == nullptr) unknown += (unknown.empty() ? "" : ", ") + std::string(name);
    else if (value != Py_None) out->emplace_back(option, value);
  }
  if (unknown.empty()) return true;
  PyErr_Format(PyExc_TypeError, "%s got unknown arguments: %s", quorbel::commands::FunctionName(command).c_str(),
               unknown.c_str());
  return false;
}

// Hands warnings to Python's warnings system and raises an error, through
// the package's two callbacks. Returns false when Python raised.
bool Report(const std::vector<quorbel::commands::Warning>& warnings) {
  if (warnings.empty()) return true;
  PyObject* list = ToPython(quorbel::commands::WarningsValue(warnings));
  PyObject* done = list != nullptr ? PyObject_CallFunctionObjArgs(g_warn, list, nullptr) : nullptr;
  Py_XDECREF(list);
  Py_XDECREF(done);
  return done != nullptr;
}

PyObject* Raise(const CommandError& error, Py_ssize_t index) {
  if (!Report(error.warnings)) return nullptr;
  PyObject* fields = ToPython(quorbel::commands::ErrorValue(error));
  PyObject* raised = fields != nullptr ? PyObject_CallFunction(g_raise, "Oin", fields, error.status, index) : nullptr;
  Py_XDECREF(fields);
  Py_XDECREF(raised);
  return nullptr;  // g_raise raised
}

// One run: the answer as a dict, its warnings issued; null with a Python
// error set on failure.
PyObject* RunOne(const Command& command, const std::vector<std::string>& files, const GivenOptions& options,
                 Py_ssize_t index) {
  try {
    const Answer answer = quorbel::commands::RunGiven(quorbel::host::LinkedApi(), command, files, options);
    if (!Report(answer.warnings)) return nullptr;
    return ToPython(answer.value);
  } catch (const CommandError& error) {
    return Raise(error, index);
  } catch (const std::exception& failure) {
    PyErr_SetString(PyExc_RuntimeError, failure.what());
    return nullptr;
  }
}

bool IsArray(PyObject* value) {
  return PyList_Check(value) || PyTuple_Check(value) ||
         (g_arrayType != nullptr && g_arrayType != Py_None && PyObject_TypeCheck(value, reinterpret_cast<PyTypeObject*>(g_arrayType)));
}

// The files given by keyword (list=...) moved after those given in order;
// false with a TypeError for too many.
bool GatherFiles(const Command& command, PyObject** filesTuple, PyObject* keywords) {
  const Py_ssize_t given = PyTuple_GET_SIZE(*filesTuple), taken = static_cast<Py_ssize_t>(command.positionals.size());
  if (given > taken) {
    PyErr_Format(PyExc_TypeError, "%s takes %zd files", quorbel::commands::FunctionName(command).c_str(), taken);
    return false;
  }
  for (Py_ssize_t i = given; i < taken; ++i) {
    const std::string name = quorbel::commands::ArgumentName(command.positionals[static_cast<size_t>(i)]);
    PyObject* file = PyDict_GetItemString(keywords, name.c_str());
    if (file == nullptr) break;
    PyObject* longer = PyTuple_New(i + 1);
    for (Py_ssize_t j = 0; j < i; ++j) {
      Py_INCREF(PyTuple_GET_ITEM(*filesTuple, j));
      PyTuple_SET_ITEM(longer, j, PyTuple_GET_ITEM(*filesTuple, j));
    }
    Py_INCREF(file);
    PyTuple_SET_ITEM(longer, i, file);
    Py_DECREF(*filesTuple);
    *filesTuple = longer;
    PyDict_DelItemString(keywords, name.c_str());
  }
  return true;
}

// call(index, files, keywords) -> the answer of one command as a dict, or
// NotImplemented when an argument is an array (a vector call).
PyObject* Call(PyObject*, PyObject* args) {
  Py_ssize_t index;
  PyObject *filesTuple, *keywords;
  if (!PyArg_ParseTuple(args, "nO!O!", &index, &PyTuple_Type, &filesTuple, &PyDict_Type, &keywords)) return nullptr;
  const Command* command = CommandAt(index);
  if (command == nullptr) return nullptr;
  PyObject *key, *value;
  Py_ssize_t position = 0;
  while (PyDict_Next(keywords, &position, &key, &value))
    if (IsArray(value)) Py_RETURN_NOTIMPLEMENTED;
  Py_INCREF(filesTuple);
  if (!command->positionals.empty() && !GatherFiles(*command, &filesTuple, keywords)) return Py_DECREF(filesTuple), nullptr;
  std::vector<std::string> files;
  std::vector<std::pair<const quorbel::commands::Option*, PyObject*>> given;
  const bool read = ReadFiles(filesTuple, &files) && ReadKeywords(*command, keywords, &given);
  Py_DECREF(filesTuple);
  if (!read) return nullptr;
  GivenOptions options;
  if (!ReadOptions(given, &options)) return nullptr;
  return RunOne(*command, files, options, -1);
}

// A command as a Python callable: the package's function of that command.
// A call of plain numbers and words, with the files in order, runs here
// without a Python frame or a keyword dict; any other call (arrays, files by
// keyword, unknown arguments) goes to `fallback`, the package's own function
// for it. Its __name__, __doc__ and __signature__ live in its __dict__.
struct CommandObject {
  PyObject_HEAD
  PyObject* dict;
  vectorcallfunc vectorcall;
  Py_ssize_t index;
  PyObject* fallback;
};

// The options of the keywords of a fast call, or false when the call is
// one for the fallback.
bool ReadFastKeywords(const Command& command, PyObject* const* values, PyObject* names,
                      std::vector<std::pair<const quorbel::commands::Option*, PyObject*>>* out) {
  const Py_ssize_t count = names == nullptr ? 0 : PyTuple_GET_SIZE(names);
  for (Py_ssize_t i = 0; i < count; ++i) {
    PyObject* value = values[i];
    if (IsArray(value)) return false;
    const char* name = PyUnicode_AsUTF8(PyTuple_GET_ITEM(names, i));
    const quorbel::commands::Option* option = name != nullptr ? quorbel::commands::OptionByArgument(command, name) : nullptr;
    if (option == nullptr) return PyErr_Clear(), false;
    if (value != Py_None) out->emplace_back(option, value);
  }
  return true;
}

PyObject* CommandCall(PyObject* self, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
  auto* object = reinterpret_cast<CommandObject*>(self);
  const Command* command = CommandAt(object->index);
  if (command == nullptr) return nullptr;
  const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
  std::vector<std::pair<const quorbel::commands::Option*, PyObject*>> given;
  bool fast = nargs <= static_cast<Py_ssize_t>(command->positionals.size()) &&
              ReadFastKeywords(*command, args + nargs, kwnames, &given);
  for (Py_ssize_t i = 0; fast && i < nargs; ++i) fast = !IsArray(args[i]);
  if (!fast) return PyObject_Vectorcall(object->fallback, args, nargsf, kwnames);
  std::vector<std::string> paths;
  if (!ReadFiles(args, nargs, &paths)) return nullptr;
  GivenOptions options;
  if (!ReadOptions(given, &options)) return nullptr;
  return RunOne(*command, paths, options, -1);
}

PyObject* CommandNew(PyTypeObject* type, PyObject* args, PyObject*) {
  Py_ssize_t index;
  PyObject* fallback;
  if (!PyArg_ParseTuple(args, "nO", &index, &fallback) || CommandAt(index) == nullptr) return nullptr;
  auto* object = reinterpret_cast<CommandObject*>(type->tp_alloc(type, 0));
  if (object == nullptr) return nullptr;
  object->vectorcall = CommandCall;
  object->index = index;
  Py_INCREF(fallback);
  object->fallback = fallback;
  return reinterpret_cast<PyObject*>(object);
}

int CommandTraverse(PyObject* self, visitproc visit, void* arg) {
  auto* object = reinterpret_cast<CommandObject*>(self);
  Py_VISIT(object->dict);
  Py_VISIT(object->fallback);
  return 0;
}

int CommandClear(PyObject* self) {
  auto* object = reinterpret_cast<CommandObject*>(self);
  Py_CLEAR(object->dict);
  Py_CLEAR(object->fallback);
  return 0;
}

void CommandDealloc(PyObject* self) {
  PyObject_GC_UnTrack(self);
  CommandClear(self);
  Py_TYPE(self)->tp_free(self);
}

// As an attribute of a class the function stays itself, as a static method
// would; having __get__ also makes it a routine to inspect and help().
PyObject* CommandGet(PyObject* self, PyObject*, PyObject*) {
  Py_INCREF(self);
  return self;
}

PyObject* CommandRepr(PyObject* self) {
  PyObject* name = PyObject_GetAttrString(self, "__qualname__");
  if (name == nullptr) return PyErr_Clear(), PyUnicode_FromString("<quorbel function>");
  PyObject* text = PyUnicode_FromFormat("<quorbel function %U>", name);
  Py_DECREF(name);
  return text;
}

PyTypeObject CommandType = [] {
  PyTypeObject type{PyVarObject_HEAD_INIT(nullptr, 0)};
  type.tp_name = "quorbel._quorbel.Command";
  type.tp_basicsize = sizeof(CommandObject);
  type.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_HAVE_VECTORCALL;
  type.tp_doc = "Command(index, fallback): a command of the table as a function";
  type.tp_new = CommandNew;
  type.tp_call = PyVectorcall_Call;
  type.tp_vectorcall_offset = offsetof(CommandObject, vectorcall);
  type.tp_dictoffset = offsetof(CommandObject, dict);
  type.tp_traverse = CommandTraverse;
  type.tp_clear = CommandClear;
  type.tp_dealloc = CommandDealloc;
  type.tp_repr = CommandRepr;
  type.tp_descr_get = CommandGet;
  type.tp_getattro = PyObject_GenericGetAttr;
  type.tp_setattro = PyObject_GenericSetAttr;
  return type;
}();

// A column as ("i", bytes of int64), ("f", bytes of doubles), ("b", bytes
// of bools) when its cells are all of one such kind, else ("o", list), for
// quorbel/__init__.py to make NumPy arrays of without a Python object per cell.
PyObject* ColumnToPython(const quorbel::commands::Column& column) {
  const size_t n = column.types.size();
  if (column.Are(Value::Type::kInt)) {
    std::vector<long long> cells(column.numbers.begin(), column.numbers.end());
    return Py_BuildValue("(sy#)", "i", reinterpret_cast<const char*>(cells.data()), static_cast<Py_ssize_t>(n * 8));
  }
  if (column.AreNumbers())
    return Py_BuildValue("(sy#)", "f", reinterpret_cast<const char*>(column.numbers.data()),
                         static_cast<Py_ssize_t>(n * 8));
  if (column.Are(Value::Type::kBool)) {
    std::vector<char> cells(n);
    for (size_t i = 0; i < n; ++i) cells[i] = column.numbers[i] != 0;
    return Py_BuildValue("(sy#)", "b", cells.data(), static_cast<Py_ssize_t>(n));
  }
  PyObject* list = PyList_New(static_cast<Py_ssize_t>(n));
  for (size_t i = 0; list != nullptr && i < n; ++i) {
    PyObject* item = ToPython(column.At(i));
    if (item == nullptr) return Py_DECREF(list), nullptr;
    PyList_SET_ITEM(list, static_cast<Py_ssize_t>(i), item);
  }
  PyObject* pair = list != nullptr ? Py_BuildValue("(sO)", "o", list) : nullptr;
  Py_XDECREF(list);
  return pair;
}

// call_many(index, files, keywords, columns, n) -> the n answers as columns:
// a dict of ColumnToPython's pairs by the answers' dotted keys (as the CSV
// names its columns). The columns given (a dict of argument -> list of n values)
// vary along the calls, the keywords stay.
PyObject* CallMany(PyObject*, PyObject* args) {
  Py_ssize_t index, n;
  PyObject *filesTuple, *keywords, *columns;
  if (!PyArg_ParseTuple(args, "nO!O!O!n", &index, &PyTuple_Type, &filesTuple, &PyDict_Type, &keywords, &PyDict_Type,
                        &columns, &n))
    return nullptr;
  const Command* command = CommandAt(index);
  std::vector<std::string> files;
  std::vector<std::pair<const quorbel::commands::Option*, PyObject*>> fixed, varying;
  if (command == nullptr || !ReadFiles(filesTuple, &files) || !ReadKeywords(*command, keywords, &fixed) ||
      !ReadKeywords(*command, columns, &varying))
    return nullptr;
  GivenOptions fixedOptions, options(varying.size());
  if (!ReadOptions(fixed, &fixedOptions)) return nullptr;
  for (size_t j = 0; j < varying.size(); ++j) {
    if (!PyList_Check(varying[j].second) || PyList_GET_SIZE(varying[j].second) != n) {
      PyErr_SetString(PyExc_ValueError, "every column needs n values");
      return nullptr;
    }
    options[j].first = varying[j].first;
  }
  quorbel::commands::GivenRunner runner(quorbel::host::LinkedApi(), *command, files, fixedOptions);
  quorbel::commands::Columns table(static_cast<size_t>(n));
  for (Py_ssize_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < varying.size(); ++j)
      if (!ReadGiven(PyList_GET_ITEM(varying[j].second, i), *varying[j].first, &options[j].second)) return nullptr;
    try {
      Answer answer = runner.Run(options);
      if (!Report(answer.warnings)) return nullptr;
      table.Add(answer.value);
    } catch (const CommandError& error) {
      return Raise(error, i);
    } catch (const std::exception& failure) {
      PyErr_SetString(PyExc_RuntimeError, failure.what());
      return nullptr;
    }
  }
  PyObject* result = PyDict_New();
  for (const quorbel::commands::Column& column : table.columns()) {
    PyObject* cells = ColumnToPython(column);
    if (cells == nullptr || PyDict_SetItem(result, Key(column.key), cells) < 0)
      return Py_XDECREF(cells), Py_DECREF(result), nullptr;
    Py_DECREF(cells);
  }
  return result;
}

// setup(raise_error, warn, array_type): the package's callbacks, and the
// type of NumPy's arrays (or None).
PyObject* Setup(PyObject*, PyObject* args) {
  PyObject *raise, *warn, *arrayType;
  if (!PyArg_ParseTuple(args, "OOO", &raise, &warn, &arrayType)) return nullptr;
  Py_XDECREF(g_arrayType);
  Py_INCREF(arrayType);
  g_arrayType = arrayType;
  Py_XDECREF(g_raise);
  Py_XDECREF(g_warn);
  Py_INCREF(raise);
  Py_INCREF(warn);
  g_raise = raise;
  g_warn = warn;
  Py_RETURN_NONE;
}

// commands() -> the table of commands as JSON text (see CommandTableJson).
PyObject* CommandTable(PyObject*, PyObject*) {
  return PyUnicode_FromString(quorbel::commands::CommandTableJson().c_str());
}

// version() -> the library's version, QUORBEL_VERSION.
PyObject* Version(PyObject*, PyObject*) { return PyUnicode_FromString(QUORBEL_VERSION); }

PyMethodDef kMethods[] = {
    {"call", Call, METH_VARARGS, "call(index, files, keywords) -> answer"},
    {"call_many", CallMany, METH_VARARGS, "call_many(index, files, keywords, columns, n) -> [answer] * n"},
    {"setup", Setup, METH_VARARGS, "setup(raise_error, warn, array_type)"},
    {"commands", CommandTable, METH_NOARGS, "the table of commands, as JSON"},
    {"version", Version, METH_NOARGS, "the library's version"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef kModule = {PyModuleDef_HEAD_INIT, "_quorbel", "Quorbel's commands, in process", -1, kMethods,
                       nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__quorbel() {
  if (PyType_Ready(&CommandType) < 0) return nullptr;
  PyObject* module = PyModule_Create(&kModule);
  if (module == nullptr) return nullptr;
  Py_INCREF(&CommandType);
  if (PyModule_AddObject(module, "Command", reinterpret_cast<PyObject*>(&CommandType)) < 0) {
    Py_DECREF(&CommandType);
    Py_DECREF(module);
    return nullptr;
  }
  return module;
}
