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

// run(words) -> (status, json, message): status 0 with the JSON text, or the
// tool's exit status (1 rejected argument, 2 unusable words) with its message.
PyObject* Run(PyObject*, PyObject* args) {
  PyObject* list = nullptr;
  if (!PyArg_ParseTuple(args, "O!", &PyList_Type, &list)) return nullptr;
  std::vector<std::string> words;
  for (Py_ssize_t i = 0; i < PyList_Size(list); ++i) {
    const char* word = PyUnicode_AsUTF8(PyList_GetItem(list, i));
    if (word == nullptr) return nullptr;
    words.emplace_back(word);
  }
  std::string json, message;
  int status = 0;
  try {
    status = quorbel::cli::RunForJson(quorbel::host::LinkedApi(), words, &json, &message);
  } catch (const std::exception& error) {
    PyErr_SetString(PyExc_RuntimeError, error.what());
    return nullptr;
  }
  return Py_BuildValue("(iss)", status, json.c_str(), message.c_str());
}

// commands() -> the table of commands as JSON text (see CommandTableJson).
PyObject* CommandTable(PyObject*, PyObject*) {
  return PyUnicode_FromString(quorbel::cli::CommandTableJson().c_str());
}

PyMethodDef kMethods[] = {
    {"run", Run, METH_VARARGS, "run(words) -> (status, json, message)"},
    {"commands", CommandTable, METH_NOARGS, "the table of commands, as JSON"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef kModule = {PyModuleDef_HEAD_INIT, "_quorbel", "Quorbel's commands, in process", -1, kMethods,
                       nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__quorbel() { return PyModule_Create(&kModule); }
