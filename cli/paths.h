// File paths as the tool receives them: UTF-8 on Windows, where wmain takes
// the command line as UTF-16 and converts it, so that any name reaches the
// library's wide exports unchanged; the user's locale bytes elsewhere.
#ifndef QUORBEL_CLI_PATHS_H
#define QUORBEL_CLI_PATHS_H

#include <filesystem>
#include <string>

namespace quorbel::cli {

inline std::filesystem::path FilePath(const std::string& text) {
#ifdef _WIN32
  return std::filesystem::u8path(text);
#else
  return std::filesystem::path(text);
#endif
}

}  // namespace quorbel::cli

#endif
