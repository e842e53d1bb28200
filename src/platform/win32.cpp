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

}  // namespace

const Calls& Defaults() {
  static const Calls calls = {UserPrimaryLanguage, MultibyteToWide};
  return calls;
}

}  // namespace quorbel::platform

#endif
