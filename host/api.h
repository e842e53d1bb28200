// Loads the Quorbel library at run time and resolves every export by its
// exported name, as a host program does: dlopen/dlsym on Linux,
// LoadLibraryW/GetProcAddress on Windows. The command-line tool and the tests
// reach the library only through this table.
#ifndef QUORBEL_HOST_API_H
#define QUORBEL_HOST_API_H

#include <string>

#include "quorbel.h"
#include "quorbel_exact.h"
#include "quorbel_freedom.h"
#include "quorbel_sampling.h"

namespace quorbel::host {

struct Api {
#define QUORBEL_EXPORT(name, bytes) decltype(&::name) name = nullptr;
#ifdef _WIN32
#define QUORBEL_EXPORT_DECORATED_ONLY(name, bytes) decltype(&::name) name = nullptr;
#define QUORBEL_EXPORT_NATIVE_ONLY(name)
#else
#define QUORBEL_EXPORT_DECORATED_ONLY(name, bytes)
#define QUORBEL_EXPORT_NATIVE_ONLY(name) decltype(&::name) name = nullptr;
#endif
#include "exports.inc"
#undef QUORBEL_EXPORT
#undef QUORBEL_EXPORT_DECORATED_ONLY
#undef QUORBEL_EXPORT_NATIVE_ONLY
};

// Windows-only entries exported under their decorated names alone are bound
// by that name.
//
// Loads the library once per process: the file named by the environment
// variable QUORBEL_LIBRARY, else the one beside the executable. On 32-bit
// Windows it also checks that each decorated name leads to the same function
// as the plain one. Returns null and a reason in `error` on failure.
const Api* LoadApi(std::string* error);

}  // namespace quorbel::host

#endif
