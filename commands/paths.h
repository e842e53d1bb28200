// File paths as the tool receives them: UTF-8 on Windows, where wmain takes
// the command line as UTF-16 and converts it, so that any name reaches the
// library's wide exports unchanged; the user's locale bytes elsewhere.
#ifndef QUORBEL_COMMANDS_PATHS_H
#define QUORBEL_COMMANDS_PATHS_H

#include <filesystem>
#include <string>

namespace quorbel::commands {

inline std::filesystem::path FilePath(const std::string& text) {
#ifdef _WIN32
  return std::filesystem::u8path(text);
#else
  return std::filesystem::path(text);
#endif
}

// The text of a path, in the same form FilePath reads.
inline std::string PathText(const std::filesystem::path& path) {
#ifdef _WIN32
  return path.u8string();
#else
  return path.string();
#endif
}

}  // namespace quorbel::commands

#endif
