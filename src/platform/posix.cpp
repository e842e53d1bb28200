// Platform calls on Linux and other POSIX systems.
#ifndef _WIN32

#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "platform/platform.h"

namespace quorbel::platform {
namespace {

// The locale name that decides the user's language: LC_ALL, then LC_CTYPE,
// then LANG, the first one set and non-empty.
const char* UserLocaleName() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return "";
}

// Windows primary language identifiers of the languages we can name.
struct LanguageId {
  const char* code;
  unsigned id;
};
constexpr LanguageId kLanguages[] = {
    {"ca", 0x03}, {"de", 0x07}, {"en", 0x09}, {"es", 0x0A}, {"fr", 0x0C},
    {"it", 0x10}, {"nl", 0x13}, {"pt", 0x16},
};

unsigned UserPrimaryLanguage() {
  const char* name = UserLocaleName();
  const std::size_t length = std::strcspn(name, "_.@");
  for (const LanguageId& language : kLanguages) {
    if (length == std::strlen(language.code) && std::strncmp(name, language.code, length) == 0)
      return language.id;
  }
  return 0;  // LANG_NEUTRAL: "C", "POSIX" and languages not listed
}

// Converts one character at a time so that whatever precedes a bad sequence
// stays converted. In a single-byte locale ("C") each byte becomes the
// character of the same value, as the Windows runtime does; glibc would refuse
// bytes above 0x7F there.
std::size_t MultibyteToWide(wchar_t* out, const char* in, std::size_t capacity) {
  const bool singleByte = MB_CUR_MAX == 1;
  std::mbstate_t state{};
  std::size_t written = 0;
  while (written < capacity && *in != '\0') {
    if (singleByte) {
      out[written++] = static_cast<unsigned char>(*in++);
      continue;
    }
    wchar_t wide = 0;
    const std::size_t used = std::mbrtowc(&wide, in, MB_LEN_MAX, &state);
    if (used == 0 || used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2))
      break;
    out[written++] = wide;
    in += used;
  }
  return written;
}

// There is no class registry outside Windows: every registry call fails with
// ERROR_CALL_NOT_IMPLEMENTED, and no module is found by a Windows file name.
constexpr long kNotImplemented = 120;

long RegistryCreateKey(void*, const wchar_t*, void** key) {
  *key = nullptr;
  return kNotImplemented;
}
long RegistrySetDefault(void*, const wchar_t*, unsigned long) { return kNotImplemented; }
long RegistryCloseKey(void*) { return kNotImplemented; }
long RegistryDeleteKey(const wchar_t*) { return kNotImplemented; }
void* ModuleHandle(const wchar_t*) { return nullptr; }
unsigned long ModuleFileName(void*, wchar_t*, unsigned long) { return 0; }
int WideLength(const wchar_t* text) { return static_cast<int>(std::wcslen(text)); }

}  // namespace

const Calls& Defaults() {
  static const Calls calls = {UserPrimaryLanguage, MultibyteToWide,   RegistryCreateKey, RegistrySetDefault,
                              RegistryCloseKey,    RegistryDeleteKey, ModuleHandle,      ModuleFileName,
                              WideLength};
  return calls;
}

}  // namespace quorbel::platform

#endif
