// Platform calls on Windows: the Windows API and the C runtime (msvcrt).
#ifdef _WIN32

#include <windows.h>

#include <cstdlib>

#include "platform/platform.h"

namespace quorbel::platform {
namespace {

unsigned UserPrimaryLanguage() { return GetUserDefaultLCID() & 0x3FF; }

std::size_t MultibyteToWide(wchar_t* out, const char* in, std::size_t capacity) {
  const std::size_t n = std::mbstowcs(out, in, capacity);
  return n == static_cast<std::size_t>(-1) ? 0 : n;
}

// Create or open a key with an empty class, non-volatile, all access and no
// security attributes.
long RegistryCreateKey(void* parent, const wchar_t* subkey, void** key) {
  HKEY created = nullptr;
  const HKEY base = parent != nullptr ? static_cast<HKEY>(parent) : HKEY_CLASSES_ROOT;
  const LONG status = RegCreateKeyExW(base, subkey, 0, const_cast<wchar_t*>(L""), 0, 0xF003F, nullptr, &created,
                                      nullptr);
  *key = created;
  return status;
}

long RegistrySetDefault(void* key, const wchar_t* text, unsigned long bytes) {
  return RegSetValueExW(static_cast<HKEY>(key), L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

long RegistryCloseKey(void* key) { return RegCloseKey(static_cast<HKEY>(key)); }

long RegistryDeleteKey(const wchar_t* subkey) { return RegDeleteKeyW(HKEY_CLASSES_ROOT, subkey); }

void* ModuleHandle(const wchar_t* name) { return GetModuleHandleW(name); }

unsigned long ModuleFileName(void* module, wchar_t* path, unsigned long capacity) {
  return GetModuleFileNameW(static_cast<HMODULE>(module), path, capacity);
}

int WideLength(const wchar_t* text) { return lstrlenW(text); }

}  // namespace

const Calls& Defaults() {
  static const Calls calls = {UserPrimaryLanguage, MultibyteToWide,   RegistryCreateKey, RegistrySetDefault,
                              RegistryCloseKey,    RegistryDeleteKey, ModuleHandle,      ModuleFileName,
                              WideLength};
  return calls;
}

}  // namespace quorbel::platform

#endif
