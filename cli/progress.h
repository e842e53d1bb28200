// Progress of long work on standard error: while a list of millions of lines
// is read, "quorbel: reading LIST ... 3 s" is redrawn each second, when
// standard error is a terminal (never into a file or a pipe).
#ifndef QUORBEL_CLI_PROGRESS_H
#define QUORBEL_CLI_PROGRESS_H

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "reading.h"

namespace quorbel::cli {

class Progress : public commands::ReadingWatch {
 public:
  // Shows progress for `path` when it holds at least kLargeList bytes.
  explicit Progress(const std::string& path);
  ~Progress() override;
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  static constexpr unsigned long long kLargeList = 20ull << 20;

  // The watcher the program gives the commands.
  static std::unique_ptr<commands::ReadingWatch> Watch(const std::string& path) {
    return std::make_unique<Progress>(path);
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread ticker_;
};

}  // namespace quorbel::cli

#endif
