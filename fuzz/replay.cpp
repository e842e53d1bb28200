// Replays the checked-in fuzz corpus through every target, as an ordinary
// test on every build (Wine included): replay CORPUS_DIR.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "targets.h"

namespace {

struct Target {
  const char* folder;
  int (*run)(const uint8_t*, std::size_t);
};

const Target kTargets[] = {{"units", quorbel::fuzz::FuzzUnits},
                           {"sized", quorbel::fuzz::FuzzSizedUnits},
                           {"clusters", quorbel::fuzz::FuzzClusters},
                           {"fields", quorbel::fuzz::FuzzFields}};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: replay CORPUS_DIR\n");
    return 2;
  }
  int inputs = 0;
  for (const Target& target : kTargets) {
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / target.folder;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      target.run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++inputs;
    }
  }
  std::printf("replayed %d corpus inputs through %zu targets\n", inputs, std::size(kTargets));
  return inputs > 0 ? 0 : 1;
}
