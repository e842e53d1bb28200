// See api.h.
#include "api.h"

#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

// The installed library folder as seen from the installed tool's (the build
// gives it from the install layout).
#ifndef QUORBEL_LIBDIR_FROM_BINDIR
#define QUORBEL_LIBDIR_FROM_BINDIR "../lib"
#endif

namespace quorbel::host {
namespace {

#ifdef _WIN32
using Module = HMODULE;

Module OpenLibrary(std::string* error) {
  Module module = nullptr;
  if (const wchar_t* path = _wgetenv(L"QUORBEL_LIBRARY"))
    module = LoadLibraryW(path);
  else
    module = LoadLibraryW(L"Quorbel.dll");  // the executable's folder comes first
  if (module == nullptr) *error = "cannot load Quorbel.dll (error " + std::to_string(GetLastError()) + ")";
  return module;
}

void* Resolve(Module module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(module, name));
}
#else
using Module = void*;

std::string BesideExecutable(const std::string& file) {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return file;
  std::string dir(path, static_cast<size_t>(length));
  return dir.substr(0, dir.rfind('/') + 1) + file;
}

// Where the library is looked for, in order: QUORBEL_LIBRARY alone when it is
// set; else beside the executable (a build folder), the installed library
// by its SONAME (the loader's own search: /usr/lib, LD_LIBRARY_PATH), and
// the library folder of an installed tree moved elsewhere (bin/../lib).
std::vector<std::string> LibraryPlaces() {
  if (const char* override = std::getenv("QUORBEL_LIBRARY")) return {override};
  const std::string soname = "libquorbel.so." + std::to_string(QUORBEL_VERSION_MAJOR);
  return {BesideExecutable("libquorbel.so"), soname, BesideExecutable(QUORBEL_LIBDIR_FROM_BINDIR "/" + soname)};
}

Module OpenLibrary(std::string* error) {
  std::string tried;
  for (const std::string& place : LibraryPlaces()) {
    if (Module module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
    tried += std::string(tried.empty() ? "" : "; ") + dlerror();
  }
  *error = "cannot load the Quorbel library: " + tried;
  return nullptr;
}

void* Resolve(Module module, const char* name) { return dlsym(module, name); }
#endif

Module g_module = nullptr;

template <class Function>
bool BindDecorated(Function& slot, const char* name, int bytes, std::string* error) {
  const std::string decorated = "_" + std::string(name) + "@" + std::to_string(bytes);
  void* address = Resolve(g_module, decorated.c_str());
  if (address == nullptr || Resolve(g_module, name) != nullptr) {
    *error = address == nullptr ? "the library does not export " + decorated
                                : std::string("the library exports ") + name + " under its plain name too";
    return false;
  }
  slot = reinterpret_cast<Function>(address);
  return true;
}

template <class Function>
bool Bind(Function& slot, const char* name, int bytes, std::string* error) {
  void* address = Resolve(g_module, name);
  if (address == nullptr) {
    *error = std::string("the library does not export ") + name;
    return false;
  }
#if defined(_WIN32) && !defined(_WIN64)
  const std::string decorated = "_" + std::string(name) + "@" + std::to_string(bytes);
  if (Resolve(g_module, decorated.c_str()) != address) {
    *error = "the decorated export " + decorated + " does not lead to " + name;
    return false;
  }
#else
  (void)bytes;
#endif
  slot = reinterpret_cast<Function>(address);
  return true;
}

bool BindAll(Api& api, std::string* error) {
#define QUORBEL_EXPORT(name, bytes) \
  if (!Bind(api.name, #name, bytes, error)) return false;
#ifdef _WIN32
#define QUORBEL_EXPORT_DECORATED_ONLY(name, bytes) \
  if (!BindDecorated(api.name, #name, bytes, error)) return false;
#define QUORBEL_EXPORT_NATIVE_ONLY(name)
#else
#define QUORBEL_EXPORT_DECORATED_ONLY(name, bytes)
#define QUORBEL_EXPORT_NATIVE_ONLY(name) \
  if (!Bind(api.name, #name, 0, error)) return false;
#endif
#include "exports.inc"
#undef QUORBEL_EXPORT
#undef QUORBEL_EXPORT_DECORATED_ONLY
#undef QUORBEL_EXPORT_NATIVE_ONLY
  return true;
}

}  // namespace

const Api* LoadApi(std::string* error) {
  static Api api;
  static std::string failure;
  static const bool loaded = [] {
    g_module = OpenLibrary(&failure);
    return g_module != nullptr && BindAll(api, &failure);
  }();
  if (!loaded) {
    if (error != nullptr) *error = failure;
    return nullptr;
  }
  return &api;
}

}  // namespace quorbel::host
