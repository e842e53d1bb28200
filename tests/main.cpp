// Test entry point, and the library under test as a host loads it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support.h"

namespace quorbel::test {

// Loaded on first use, so that a test run can keep the library out of the
// process when it needs to (the registration of a renamed copy).
const host::Api& Lib() {
  static const host::Api* api = [] {
    std::string error;
    const host::Api* loaded = host::LoadApi(&error);
    if (loaded == nullptr) {
      std::fprintf(stderr, "cannot load the library under test: %s\n", error.c_str());
      std::exit(1);
    }
    return loaded;
  }();
  return *api;
}

}  // namespace quorbel::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
