// Platform calls on Windows: the Windows API and the C runtime (msvcrt).
#ifdef _WIN32

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/os.h"

namespace quorbel::platform::os {

unsigned UserPrimaryLanguage() { return GetUserDefaultLCID() & 0x3FF; }

std::size_t MultibyteToWide(wchar_t* out, const char* in, std::size_t capacity) {
  return std::mbstowcs(out, in, capacity);
}

int WideToMultibyte(wchar_t c, char* out) { return std::wctomb(out, c); }

bool FileExists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

void* OpenForReading(const wchar_t* path) {
  const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

long ReadBytes(void* file, char* buffer, unsigned long size) {
  DWORD read = 0;
  if (!ReadFile(static_cast<HANDLE>(file), buffer, size, &read, nullptr)) return -1;
  return static_cast<long>(read);
}

void CloseFile(void* file) { CloseHandle(static_cast<HANDLE>(file)); }

void* CreateForWriting(const wchar_t* path, unsigned long* error) {
  const HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) return file;
  *error = GetLastError();
  return nullptr;
}

bool WriteBytes(void* file, const char* bytes, unsigned long size) {
  DWORD written = 0;
  return WriteFile(static_cast<HANDLE>(file), bytes, size, &written, nullptr) != 0;
}

void ShowMessage(const wchar_t* text, const wchar_t* caption) { MessageBoxW(nullptr, text, caption, MB_OK); }

int Random() { return std::rand(); }

void* Allocate(std::size_t bytes) { return std::malloc(bytes); }

void Release(void* memory) { std::free(memory); }

// Create or open a key with an empty class, non-volatile, all access and no
// security attributes.
long RegistryCreateKey(void* parent, const wchar_t* subkey, void** key) {
  HKEY created = nullptr;
  const HKEY base = parent != nullptr ? static_cast<HKEY>(parent) : HKEY_CLASSES_ROOT;
  const LONG status = RegCreateKeyExW(base, subkey, 0, const_cast<wchar_t*>(L""), 0, KEY_ALL_ACCESS, nullptr, &created,
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


}  // namespace quorbel::platform::os

#endif
