// See reading.h.
#include "reading.h"

#include <atomic>

namespace quorbel::commands {
namespace {
std::atomic<ReadingWatcher> g_watcher{nullptr};
}

void SetReadingWatcher(ReadingWatcher watcher) { g_watcher = watcher; }

std::unique_ptr<ReadingWatch> WatchReading(const std::string& path) {
  const ReadingWatcher watcher = g_watcher;
  return watcher != nullptr ? watcher(path) : nullptr;
}

}  // namespace quorbel::commands
