// quorbel register | unregister, for installers. See program.h.
#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <string>

#include "api.h"
#include "program.h"

namespace quorbel::cli {

int RunRegistration(bool enter) {
#ifdef _WIN32
  std::string loadError;
  const host::Api* api = host::LoadApi(&loadError);
  if (api == nullptr) {
    std::fprintf(stderr, "quorbel: %s\n", loadError.c_str());
    return 3;
  }
  const int32_t status = enter ? api->DllRegisterServer() : api->DllUnregisterServer();
  if (status == 0) {
    std::printf("quorbel: Quorbel.dll %s\n", enter ? "registered" : "unregistered");
    return 0;
  }
  std::fprintf(stderr, "quorbel: %s failed (status 0x%08X): %s\n", enter ? "registration" : "unregistration",
               static_cast<unsigned>(status),
               enter ? "the class registry could not be written (run as an administrator?)"
                     : "the library is not registered, or its keys hold subkeys of their own");
  return 1;
#else
  std::fprintf(stderr, "quorbel: %s is for the Windows library; there is no class registry here\n",
               enter ? "register" : "unregister");
  return 2;
#endif
}


}  // namespace quorbel::cli
