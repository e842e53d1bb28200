// Files for the list-file tests: written and read back byte for byte, in a
// folder of the working directory, with wide paths for the library.
#ifndef QUORBEL_TESTS_FILES_H
#define QUORBEL_TESTS_FILES_H

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#endif

namespace quorbel::test {

inline std::string TestFile(const std::string& name) {
#ifdef _WIN32
  _mkdir("test-files");
#else
  mkdir("test-files", 0777);
#endif
  return "test-files/" + name;
}

inline std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline bool Exists(const std::string& path) { return std::ifstream(path).good(); }

inline void Remove(const std::string& path) { std::remove(path.c_str()); }

// Seeds the generator the library draws from: the C runtime's on Windows,
// which the library shares with this program, the library's own elsewhere.
template <class Api>
void SeedLibrary(const Api& api, unsigned seed) {
#ifdef _WIN32
  (void)api;
  std::srand(seed);
#else
  api.Selection_SeedRandom(seed);
#endif
}

// The first value the runtime's rand gives after srand(seed).
inline int FirstDraw(unsigned seed) { return static_cast<int>(((seed * 214013u + 2531011u) >> 16) & 0x7FFF); }

}  // namespace quorbel::test

#endif
