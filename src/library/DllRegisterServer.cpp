// DllRegisterServer and DllUnregisterServer: enter the library in the class
// registry as an in-process server, and remove it. See quorbel.h.
//
// Registration writes two keys with one default value each, in fixed steps;
// each failure returns E_UNEXPECTED after closing exactly the keys opened so
// far (the subkey before the class key) and undoes nothing. Unregistration
// deletes the subkey, then the class key; a key that has subkeys of its own
// is not deleted.
#include <cstdint>

#include "library/registration.h"
#include "platform/platform.h"

namespace {

using quorbel::platform::Current;

constexpr wchar_t kClassKey[] = L"CLSID\\{5E0C2A91-7B44-4D3F-A1C8-92F07D6B3E15}";
constexpr wchar_t kServerKey[] = L"CLSID\\{5E0C2A91-7B44-4D3F-A1C8-92F07D6B3E15}\\InprocServer32";
constexpr wchar_t kServerName[] = L"Quorbel Server";
constexpr unsigned long kServerNameBytes = 30;  // 14 UTF-16 units and the terminator
constexpr wchar_t kModuleName[] = L"Quorbel.dll";
constexpr unsigned long kModulePathCapacity = 261;

// Closes the subkey, then the class key, and reports the failure.
int32_t FailClosingBoth(void* subkey, void* classKey) {
  Current().registryCloseKey(subkey);
  Current().registryCloseKey(classKey);
  return QUORBEL_E_UNEXPECTED;
}

}  // namespace

extern "C" int32_t QUORBEL_CALL DllRegisterServer(void) {
  void* classKey = nullptr;
  if (Current().registryCreateKey(nullptr, kClassKey, &classKey) != 0) return QUORBEL_E_UNEXPECTED;
  if (Current().registrySetDefault(classKey, kServerName, kServerNameBytes) != 0) {
    Current().registryCloseKey(classKey);
    return QUORBEL_E_UNEXPECTED;
  }
  void* subkey = nullptr;
  if (Current().registryCreateKey(classKey, L"InprocServer32", &subkey) != 0) {
    Current().registryCloseKey(classKey);
    return QUORBEL_E_UNEXPECTED;
  }
  void* module = Current().moduleHandle(kModuleName);
  if (module == nullptr) return FailClosingBoth(subkey, classKey);
  wchar_t path[kModulePathCapacity];
  if (Current().moduleFileName(module, path, kModulePathCapacity) == 0) return FailClosingBoth(subkey, classKey);
  const unsigned long bytes = static_cast<unsigned long>(Current().wideLength(path)) * 2 + 2;
  if (Current().registrySetDefault(subkey, path, bytes) != 0) return FailClosingBoth(subkey, classKey);
  Current().registryCloseKey(subkey);
  Current().registryCloseKey(classKey);
  return 0;
}

extern "C" int32_t QUORBEL_CALL DllUnregisterServer(void) {
  if (Current().registryDeleteKey(kServerKey) != 0) return QUORBEL_E_UNEXPECTED;
  if (Current().registryDeleteKey(kClassKey) != 0) return QUORBEL_E_UNEXPECTED;
  return 0;
}
