// The R package's way in: runs a command of the quorbel tool in this process
// over the library's own sources, and gives back its JSON or its message.
#include <R.h>
#include <R_ext/Rdynload.h>
#include <Rinternals.h>

#include <string>
#include <vector>

#include "command.h"
#include "linked_api.h"
#include "output.h"

namespace {

// list(status, json, message) for the words of one command.
SEXP QuorbelRun(SEXP words) {
  std::vector<std::string> list;
  for (R_xlen_t i = 0; i < XLENGTH(words); ++i) list.emplace_back(CHAR(STRING_ELT(words, i)));
  std::string json, message;
  int status = 2;
  try {
    status = quorbel::commands::RunForJson(quorbel::host::LinkedApi(), list, &json, &message);
  } catch (const std::exception& error) {
    message = error.what();
  }
  SEXP out = PROTECT(Rf_allocVector(VECSXP, 3));
  SET_VECTOR_ELT(out, 0, Rf_ScalarInteger(status));
  SET_VECTOR_ELT(out, 1, Rf_mkString(json.c_str()));
  SET_VECTOR_ELT(out, 2, Rf_mkString(message.c_str()));
  UNPROTECT(1);
  return out;
}

// The command table as JSON (as "quorbel --commands-json" prints it).
SEXP QuorbelCommands() {
  quorbel::commands::Json json;
  json.BeginArray();
  for (const quorbel::commands::Command& command : quorbel::commands::Commands())
    json.Begin().String("family", command.family).String("name", command.name).End();
  json.EndArray();
  std::string text;
  quorbel::commands::CaptureJson(&text);
  json.Print();
  quorbel::commands::CaptureJson(nullptr);
  return Rf_mkString(text.c_str());
}

const R_CallMethodDef kCalls[] = {
    {"C_quorbel_run", reinterpret_cast<DL_FUNC>(&QuorbelRun), 1},
    {"C_quorbel_commands", reinterpret_cast<DL_FUNC>(&QuorbelCommands), 0},
    {nullptr, nullptr, 0},
};

}  // namespace

extern "C" void R_init_quorbel(DllInfo* info) {
  R_registerRoutines(info, nullptr, kCalls, nullptr, nullptr);
  R_useDynamicSymbols(info, FALSE);
  R_forceSymbols(info, TRUE);
}
