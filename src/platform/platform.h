// The platform layer: every call the library makes to the operating system
// goes through this table. win32.cpp fills it with the Windows API, posix.cpp
// with POSIX equivalents; tests may replace single entries to observe or fail
// a call, and restore the defaults afterwards.
#ifndef QUORBEL_PLATFORM_PLATFORM_H
#define QUORBEL_PLATFORM_PLATFORM_H

#include <cstddef>

namespace quorbel::platform {

struct Calls {
  // Primary language of the user's default locale: the low 10 bits of the
  // Windows locale identifier (10 is Spanish, 9 English).
  unsigned (*userPrimaryLanguage)();
  // Converts a narrow string in the current locale into at most `capacity`
  // wide characters, as the C runtime's mbstowcs does, stopping at the first
  // byte sequence it cannot convert. Returns the characters written.
  std::size_t (*multibyteToWide)(wchar_t* out, const char* in, std::size_t capacity);

  // The class registry (HKEY_CLASSES_ROOT) and the library's own module.
  // Keys and modules are opaque handles; statuses are Windows error codes,
  // 0 for success.
  long (*registryCreateKey)(void* parent, const wchar_t* subkey, void** key);  // null parent: the root
  long (*registrySetDefault)(void* key, const wchar_t* text, unsigned long bytes);
  long (*registryCloseKey)(void* key);
  long (*registryDeleteKey)(const wchar_t* subkey);  // below the root
  void* (*moduleHandle)(const wchar_t* name);
  unsigned long (*moduleFileName)(void* module, wchar_t* path, unsigned long capacity);
  int (*wideLength)(const wchar_t* text);
};

// The implementation for this build.
const Calls& Defaults();

// The table in force; tests may assign entries.
Calls& Current();

}  // namespace quorbel::platform

#endif
