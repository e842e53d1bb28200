// Speed and memory of the list-file functions on frames of 1 and 10 million
// lines: simple random selection of 1,000 units, selection proportional to
// size, and the two-stage interval. Working memory is measured through the
// platform layer's allocator (every working array goes through it).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "library/list_separator.h"
#include "listfiles/list_file.h"
#include "platform/platform.h"
#include "quorbel.h"

namespace {
namespace platform = quorbel::platform;

constexpr int kLines = 1000000;

// The benchmark links the library's objects without its load-time entry, so
// it chooses the list separator itself.
std::string MakeFile(const char* name, std::string (*line)(int), int lines = kLines) {
  quorbel::InitListSeparator();
  const std::string path = std::string("/tmp/quorbel-bench-") + name;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fclose(file);
    return path;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  for (int i = 1; i <= lines; ++i) std::fputs(line(i).c_str(), file);
  std::fclose(file);
  return path;
}

std::wstring Wide(const std::string& path) { return std::wstring(path.begin(), path.end()); }

// Tracks the bytes of working arrays alive at once.
struct Meter {
  static std::size_t live, peak;
  static void Install() {
    live = peak = 0;
    platform::Current().allocate = [](std::size_t bytes) -> void* {
      void* memory = std::malloc(bytes + sizeof(std::size_t));
      if (memory == nullptr) return nullptr;
      *static_cast<std::size_t*>(memory) = bytes;
      live += bytes;
      if (live > peak) peak = live;
      return static_cast<std::size_t*>(memory) + 1;
    };
    platform::Current().release = [](void* memory) {
      std::size_t* block = static_cast<std::size_t*>(memory) - 1;
      live -= *block;
      std::free(block);
    };
  }
};
std::size_t Meter::live, Meter::peak;



void Report(benchmark::State& state) {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  state.counters["working_MB"] = static_cast<double>(Meter::peak) / 1e6;
  state.counters["maxrss_MB"] = static_cast<double>(usage.ru_maxrss) / 1e3;
  platform::Current() = platform::Defaults();
}

void BM_Selection_SimpleRandom_1M(benchmark::State& state) {
  const std::string list = MakeFile("units.txt", [](int i) { return "Farm " + std::to_string(i) + "\n"; });
  Meter::Install();
  for (auto _ : state) {
    int32_t line = 0;
    const QuorbelResult code = Selection_SimpleRandom(1000, Wide(list).c_str(), L"/tmp/quorbel-bench-srs-out.txt", &line);
    if (code != QUORBEL_OK)
      state.SkipWithError(("selection failed, code " + std::to_string(code)).c_str());
  }
  Report(state);
}
BENCHMARK(BM_Selection_SimpleRandom_1M)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Selection_SimpleRandom_10M(benchmark::State& state) {
  const std::string list =
      MakeFile("units-10m.txt", [](int i) { return "Farm " + std::to_string(i) + "\n"; }, 10 * kLines);
  Meter::Install();
  for (auto _ : state) {
    int32_t line = 0;
    const QuorbelResult code =
        Selection_SimpleRandom(1000, Wide(list).c_str(), L"/tmp/quorbel-bench-srs-out.txt", &line);
    if (code != QUORBEL_OK) state.SkipWithError(("selection failed, code " + std::to_string(code)).c_str());
  }
  Report(state);
}
BENCHMARK(BM_Selection_SimpleRandom_10M)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Selection_ProbabilityProportional_1M(benchmark::State& state) {
  const std::string list =
      MakeFile("sized.txt", [](int i) { return "Herd " + std::to_string(i) + "," + std::to_string(i % 700 + 1) + "\n"; });
  Meter::Install();
  for (auto _ : state) {
    int32_t line = 0;
    const QuorbelResult code =
        Selection_ProbabilityProportional(1000, Wide(list).c_str(), L"/tmp/quorbel-bench-pps-out.txt", &line);
    if (code != QUORBEL_OK)
      state.SkipWithError(("selection failed, code " + std::to_string(code)).c_str());
  }
  Report(state);
}
BENCHMARK(BM_Selection_ProbabilityProportional_1M)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ConfidenceInterval_TwoStages_1M(benchmark::State& state) {
  const std::string list = MakeFile("clusters.txt", [](int i) {
    return "Herd " + std::to_string(i) + "," + std::to_string(i % 90 + 10) + "," + std::to_string(i % 7) + "\n";
  });
  Meter::Install();
  for (auto _ : state) {
    TwoStageIntervalResult result;
    int32_t line = 0, field = 0;
    const QuorbelResult code = ConfidenceInterval_TwoStages(95, Wide(list).c_str(), &line, &field, &result);
    if (code != QUORBEL_OK) state.SkipWithError(("interval failed, code " + std::to_string(code)).c_str());
  }
  Report(state);
}
BENCHMARK(BM_ConfidenceInterval_TwoStages_1M)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
