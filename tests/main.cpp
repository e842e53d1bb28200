// Test entry point: loads the library as a host would before any test runs.
#include <cstdio>
#include <string>

#include "support.h"

namespace quorbel::test {
namespace {
const host::Api* g_api = nullptr;
}

const host::Api& Lib() { return *g_api; }

}  // namespace quorbel::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::string error;
  quorbel::test::g_api = quorbel::host::LoadApi(&error);
  if (quorbel::test::g_api == nullptr) {
    std::fprintf(stderr, "cannot load the library under test: %s\n", error.c_str());
    return 1;
  }
  return RUN_ALL_TESTS();
}
