// The Python extension: runs a command of the command-line tool in this
// process and hands back its JSON, over the library's own sources compiled
// in. quorbel/__init__.py builds one Python function per command from the
// table this module gives.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <string>
#include <vector>

#include "command.h"
#include "linked_api.h"

namespace {

// run(words) -> (status, json, csv, error, warnings): status 0 with the
// answer as JSON and CSV, or the tool's exit status (1 rejected argument, 2
// unusable words) with the error as JSON; the warnings as JSON either way.
PyObject* Run(PyObject*, PyObject* args) {
  PyObject* list = nullptr;
  if (!PyArg_ParseTuple(args, "O!", &PyList_Type, &list)) return nullptr;
  std::vector<std::string> words;
  for (Py_ssize_t i = 0; i < PyList_Size(list); ++i) {
    const char* word = PyUnicode_AsUTF8(PyList_GetItem(list, i));
    if (word == nullptr) return nullptr;
    words.emplace_back(word);
  }
  using namespace quorbel::commands;
  Outcome outcome;
  try {
    outcome = RunForJson(quorbel::host::LinkedApi(), words);
  } catch (const std::exception& error) {
    PyErr_SetString(PyExc_RuntimeError, error.what());
    return nullptr;
  }
  const std::string error = outcome.status == 0 ? "null" : ErrorJson(outcome.error);
  const std::string warnings = RenderJson(WarningsValue(outcome.warnings));
  return Py_BuildValue("(issss)", outcome.status, outcome.json.c_str(), outcome.csv.c_str(), error.c_str(),
                       warnings.c_str());
}

// commands() -> the table of commands as JSON text (see CommandTableJson).
PyObject* CommandTable(PyObject*, PyObject*) {
  return PyUnicode_FromString(quorbel::commands::CommandTableJson().c_str());
}

PyMethodDef kMethods[] = {
    {"run", Run, METH_VARARGS, "run(words) -> (status, json, csv, error, warnings)"},
    {"commands", CommandTable, METH_NOARGS, "the table of commands, as JSON"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef kModule = {PyModuleDef_HEAD_INIT, "_quorbel", "Quorbel's commands, in process", -1, kMethods,
                       nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__quorbel() { return PyModule_Create(&kModule); }
