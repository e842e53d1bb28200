// See progress.h.
#include "progress.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#ifdef _WIN32
#include <io.h>
#define QUORBEL_ISATTY(fd) _isatty(fd)
#define QUORBEL_FILENO(f) _fileno(f)
#else
#include <unistd.h>
#define QUORBEL_ISATTY(fd) isatty(fd)
#define QUORBEL_FILENO(f) fileno(f)
#endif

#include "paths.h"

namespace quorbel::cli {
Progress::Progress(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(commands::FilePath(path), error);
  if (error || size < kLargeList || !QUORBEL_ISATTY(QUORBEL_FILENO(stderr))) return;
  ticker_ = std::thread([this, path, size] {
    std::unique_lock<std::mutex> lock(mutex_);
    for (int seconds = 0; !done_.wait_for(lock, std::chrono::seconds(1), [this] { return finished_; });) {
      std::fprintf(stderr, "\rquorbel: reading %s (%llu MB) ... %d s", path.c_str(),
                   static_cast<unsigned long long>(size >> 20), ++seconds);
      std::fflush(stderr);
    }
  });
}

Progress::~Progress() {
  if (!ticker_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  done_.notify_one();
  ticker_.join();
  std::fprintf(stderr, "\r\033[K");
}

}  // namespace quorbel::cli
