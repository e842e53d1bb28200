// A platform table for the list-file tests: the default calls, with every
// file opened and closed counted, so that a test can prove nothing was left
// open on any path.
#ifndef QUORBEL_TESTS_COUNTING_PLATFORM_H
#define QUORBEL_TESTS_COUNTING_PLATFORM_H

#include "platform/platform.h"

namespace quorbel::test {

struct FileCounter {
  static inline int opened = 0, closed = 0;

  static void Install() {
    opened = closed = 0;
    platform::Calls& calls = platform::Current();
    calls.openForReading = [](const wchar_t* path) {
      void* file = platform::Defaults().openForReading(path);
      if (file != nullptr) ++opened;
      return file;
    };
    calls.closeReading = [](void* file) {
      ++closed;
      platform::Defaults().closeReading(file);
    };
    calls.createForWriting = [](const wchar_t* path, unsigned long* error) {
      void* file = platform::Defaults().createForWriting(path, error);
      if (file != nullptr) ++opened;
      return file;
    };
    calls.closeWriting = [](void* file) {
      ++closed;
      platform::Defaults().closeWriting(file);
    };
  }
};

}  // namespace quorbel::test

#endif
