// The platform layer: every call the library makes to the operating system
// goes through this table. win32.cpp fills it with the Windows API, posix.cpp
// with POSIX equivalents; tests may replace single entries to observe or fail
// a call, and restore the defaults afterwards.
#ifndef QUORBEL_PLATFORM_PLATFORM_H
#define QUORBEL_PLATFORM_PLATFORM_H

#include <cstddef>

namespace quorbel::platform {

// A conversion that met a sequence it cannot convert.
constexpr std::size_t kConversionFailed = static_cast<std::size_t>(-1);

// The largest value of the C runtime's generator (RAND_MAX of msvcrt).
constexpr int kRandomMax = 0x7FFF;

struct Calls {
  // Primary language of the user's default locale: the low 10 bits of the
  // Windows locale identifier (10 is Spanish, 9 English).
  unsigned (*userPrimaryLanguage)();

  // Converts a zero-terminated narrow string in the current locale into at
  // most `capacity` wide characters, as the C runtime's mbstowcs does: no
  // terminator is added, and a sequence it cannot convert stops it with
  // kConversionFailed, the characters before it written. Otherwise returns
  // the characters written. In a single-byte locale ("C") each byte becomes
  // the character of the same value.
  std::size_t (*multibyteToWide)(wchar_t* out, const char* in, std::size_t capacity);
  // Converts one wide character into the bytes of the current locale; the
  // byte count, or -1 when the locale has no bytes for it. In a single-byte
  // locale characters up to U+00FF become the byte of the same value.
  int (*wideToMultibyte)(wchar_t c, char* out);

  // Files. Handles are opaque; null means failure.
  bool (*fileExists)(const wchar_t* path);  // anything the file system knows, directories too
  void* (*openForReading)(const wchar_t* path);  // shared: others may read and write meanwhile
  long (*readBytes)(void* file, char* buffer, unsigned long size);  // bytes read, 0 at the end, -1 on error
  void (*closeReading)(void* file);
  // Creates or empties a file for writing, shared with no other opener.
  // On failure returns null and the system's error code in *error.
  void* (*createForWriting)(const wchar_t* path, unsigned long* error);
  bool (*writeBytes)(void* file, const char* bytes, unsigned long size);
  void (*closeWriting)(void* file);

  // A message box with an OK button and no owner (standard error natively);
  // returns when the user has dismissed it.
  void (*showMessage)(const wchar_t* text, const wchar_t* caption);

  // The C runtime's pseudo-random generator: 0 .. kRandomMax, state per thread.
  int (*random)();

  // Working arrays of the list functions; null when memory is exhausted.
  void* (*allocate)(std::size_t bytes);
  void (*release)(void* memory);

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
