// A long read of a list, announced to the program that runs the command, so
// that it can show progress; the commands themselves never print.
#ifndef QUORBEL_COMMANDS_READING_H
#define QUORBEL_COMMANDS_READING_H

#include <memory>
#include <string>

namespace quorbel::commands {

// Lives while a list is read; the program's watch ends its display when
// destroyed.
struct ReadingWatch {
  virtual ~ReadingWatch() = default;
};

using ReadingWatcher = std::unique_ptr<ReadingWatch> (*)(const std::string& path);

// The program's watcher; none by default (the bindings and the page).
void SetReadingWatcher(ReadingWatcher watcher);

// A watch of reading `path`, or null when no watcher is set.
std::unique_ptr<ReadingWatch> WatchReading(const std::string& path);

}  // namespace quorbel::commands

#endif
