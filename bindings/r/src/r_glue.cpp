// The R package's way in: runs a command of the quorbel tool in this process
// over the library's own sources, and gives back its JSON or its message.
#include <R.h>
#include <R_ext/Rdynload.h>
#include <Rinternals.h>

#include <string>
#include <vector>

#include "command.h"
#include "linked_api.h"

namespace {

// list(status, json, error, warnings) for the words of one command: the
// answer as JSON when status is 0, else the error as JSON (see ErrorValue);
// the warnings as JSON either way.
SEXP QuorbelRun(SEXP words) {
  using namespace quorbel::commands;
  std::vector<std::string> list;
  for (R_xlen_t i = 0; i < XLENGTH(words); ++i) list.emplace_back(CHAR(STRING_ELT(words, i)));
  Outcome outcome;
  std::string failure;
  try {
    outcome = RunForJson(quorbel::host::LinkedApi(), list);
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (!failure.empty()) Rf_error("quorbel: internal error: %s", failure.c_str());
  const std::string error = outcome.status == 0 ? "null" : ErrorJson(outcome.error);
  const std::string warnings = RenderJson(WarningsValue(outcome.warnings));
  SEXP out = PROTECT(Rf_allocVector(VECSXP, 4));
  SET_VECTOR_ELT(out, 0, Rf_ScalarInteger(outcome.status));
  SET_VECTOR_ELT(out, 1, Rf_mkString(outcome.json.c_str()));
  SET_VECTOR_ELT(out, 2, Rf_mkString(error.c_str()));
  SET_VECTOR_ELT(out, 3, Rf_mkString(warnings.c_str()));
  UNPROTECT(1);
  return out;
}

// The command table as JSON (as "quorbel --commands-json" prints it).
SEXP QuorbelCommands() { return Rf_mkString(quorbel::commands::CommandTableJson().c_str()); }

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
