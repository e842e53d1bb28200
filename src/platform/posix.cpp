// Platform calls on Linux and other POSIX systems.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <string>

#include "platform/os.h"

namespace quorbel::platform::os {

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

bool SingleByteLocale() { return MB_CUR_MAX == 1; }

// One character at a time, so that whatever precedes a bad sequence stays
// converted. In a single-byte locale each byte becomes the character of the
// same value, as the Windows runtime does; glibc would refuse bytes above
// 0x7F in the "C" locale.
std::size_t MultibyteToWide(wchar_t* out, const char* in, std::size_t capacity) {
  std::mbstate_t state{};
  std::size_t written = 0;
  while (written < capacity && *in != '\0') {
    if (SingleByteLocale()) {
      out[written++] = static_cast<unsigned char>(*in++);
      continue;
    }
    wchar_t wide = 0;
    const std::size_t used = std::mbrtowc(&wide, in, MB_LEN_MAX, &state);
    if (used == 0 || used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2))
      return kConversionFailed;
    out[written++] = wide;
    in += used;
  }
  return written;
}

int WideToMultibyte(wchar_t c, char* out) {
  if (SingleByteLocale()) {
    if (c < 0 || c > 0xFF) return -1;
    *out = static_cast<char>(c);
    return 1;
  }
  std::mbstate_t state{};
  const std::size_t used = std::wcrtomb(out, c, &state);
  return used == static_cast<std::size_t>(-1) ? -1 : static_cast<int>(used);
}

// A wide path in the bytes of the current locale; false when a character
// has no bytes there.
bool NarrowPath(const wchar_t* path, std::string* narrow) {
  char bytes[MB_LEN_MAX];
  for (; *path != L'\0'; ++path) {
    const int used = WideToMultibyte(*path, bytes);
    if (used < 0) return false;
    narrow->append(bytes, static_cast<std::size_t>(used));
  }
  return true;
}

bool FileExists(const wchar_t* path) {
  std::string narrow;
  struct stat status;
  return NarrowPath(path, &narrow) && stat(narrow.c_str(), &status) == 0;
}

// File handles carry the descriptor plus one, so that descriptor 0 is not null.
void* HandleOf(int descriptor) { return reinterpret_cast<void*>(static_cast<intptr_t>(descriptor) + 1); }
int DescriptorOf(void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1); }

void* OpenForReading(const wchar_t* path) {
  std::string narrow;
  if (!NarrowPath(path, &narrow)) return nullptr;
  const int descriptor = open(narrow.c_str(), O_RDONLY | O_CLOEXEC);
  return descriptor < 0 ? nullptr : HandleOf(descriptor);
}

long ReadBytes(void* file, char* buffer, unsigned long size) {
  ssize_t got;
  do got = read(DescriptorOf(file), buffer, size);
  while (got < 0 && errno == EINTR);
  return static_cast<long>(got);
}

void CloseFile(void* file) { close(DescriptorOf(file)); }

// Create or empty the file; an exclusive advisory lock keeps out every other
// opener that asks for one, which is as far as POSIX goes toward no sharing.
void* CreateForWriting(const wchar_t* path, unsigned long* error) {
  std::string narrow;
  if (!NarrowPath(path, &narrow)) {
    *error = EILSEQ;
    return nullptr;
  }
  const int descriptor = open(narrow.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    *error = static_cast<unsigned long>(errno);
    return nullptr;
  }
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0 || ftruncate(descriptor, 0) != 0) {
    *error = static_cast<unsigned long>(errno);
    close(descriptor);
    return nullptr;
  }
  return HandleOf(descriptor);
}

bool WriteBytes(void* file, const char* bytes, unsigned long size) {
  while (size > 0) {
    const ssize_t put = write(DescriptorOf(file), bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    size -= static_cast<unsigned long>(put);
  }
  return true;
}

// No window here: the message goes to standard error.
void ShowMessage(const wchar_t* text, const wchar_t* caption) { std::fprintf(stderr, "%ls: %ls\n", caption, text); }

// The Windows runtime's generator, state per thread, 1 until seeded.
thread_local uint32_t g_randomState = 1;

int Random() {
  g_randomState = g_randomState * 214013u + 2531011u;
  return static_cast<int>((g_randomState >> 16) & kRandomMax);
}

void* Allocate(std::size_t bytes) { return std::malloc(bytes); }

void Release(void* memory) { std::free(memory); }

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

void SeedRandom(unsigned seed) { g_randomState = seed; }

}  // namespace quorbel::platform::os

#endif
