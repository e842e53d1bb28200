// Every export called from eight threads at once, many times each, must give
// the answers it gives on one thread: the library keeps no shared state but
// the list separator. The selections draw from a generator per thread, so
// two threads seeded alike select alike. Run natively (and under
// ThreadSanitizer in the tsan build) and against the DLLs under Wine.
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "files.h"
#include "support.h"

namespace quorbel::test {
namespace {

constexpr int kThreads = 8;

// The bytes of a result code and a result record, to compare whole answers.
template <class Record>
std::string Answer(QuorbelResult code, const Record& record) {
  std::string bytes(reinterpret_cast<const char*>(&code), sizeof code);
  return bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
}

struct Call {
  const char* name;
  int repeats;  // per thread
  std::function<std::string(int thread)> run;
};

std::vector<Call> Calls() {
  const host::Api& api = Lib();
  const std::string clusters = TestFile("threads-clusters.txt");
  WriteBytes(clusters, "H1,10,2\nH2,20,5\nH3,15,0\nH4,12,3\n");
  return {
      {"SampleSize_SimpleRandom", 2000, [&api](int) {
         int32_t r[QUORBEL_LADDER_RESULTS];
         return Answer(api.SampleSize_SimpleRandom(0.3f, 0.1f, 95, 1000, r), r);
       }},
      {"SampleSize_Stratified", 2000, [&api](int) {
         StratifiedSampleSizeResult r{};
         return Answer(api.SampleSize_Stratified(95, 0.2f, 1000, 0.3f, 2000, 0.1f, 0, 0, 0, 0, 0, 0, &r), r);
       }},
      {"SampleSize_TwoStages", 2000, [&api](int) {
         TwoStageSampleSizeResult r{};
         return Answer(api.SampleSize_TwoStages(0.3f, 0.2f, 95, 10, 1, 0, &r), r);
       }},
      {"ConfidenceInterval_SimpleRandom_Proportion", 2000, [&api](int) {
         IntervalResult r{};
         return Answer(api.ConfidenceInterval_SimpleRandom_Proportion(0.3f, 100, 1000, 95, &r), r);
       }},
      {"ConfidenceInterval_SimpleRandom_PositiveCases", 2000, [&api](int) {
         EstimateIntervalResult r{};
         return Answer(api.ConfidenceInterval_SimpleRandom_PositiveCases(30, 100, 1000, 95, &r), r);
       }},
      {"ConfidenceInterval_Stratified", 2000, [&api](int) {
         EstimateIntervalResult r{};
         return Answer(api.ConfidenceInterval_Stratified(95, 1000, 100, 0.3f, 2000, 150, 0.1f, 0, 0, 0, 0, 0, 0, 0, 0,
                                                         0, &r),
                       r);
       }},
      {"ConfidenceInterval_TwoStages", 100, [&api, clusters](int) {
         TwoStageIntervalResult r{};
         int32_t line = -1, field = -1;
         return Answer(api.ConfidenceInterval_TwoStages_A(95, clusters.c_str(), &line, &field, &r), r);
       }},
      {"Comparison_SampleSize", 2000, [&api](int) {
         ComparisonSampleSizeResult r{};
         return Answer(api.Comparison_SampleSize(0.2f, 0.4f, 95, 80, &r), r);
       }},
      {"Comparison_ConfidenceInterval", 2000, [&api](int) {
         ComparisonIntervalResult r{};
         return Answer(api.Comparison_ConfidenceInterval(0.2f, 100, 0.35f, 120, &r), r);
       }},
      {"True_Prevelance", 2000, [&api](int) {
         TruePrevalenceResult r{};
         return Answer(api.True_Prevelance(0.3f, 0.9f, 0.95f, &r), r);
       }},
      {"Estimating_SampleSize", 2000, [&api](int) {
         int32_t r[QUORBEL_LADDER_RESULTS];
         return Answer(api.Estimating_SampleSize(2.0f, 95, 10.0f, 1000, r), r);
       }},
      {"Estimating_ConfidenceInterval", 2000, [&api](int) {
         IntervalResult r{};
         return Answer(api.Estimating_ConfidenceInterval(25.0f, 4.0f, 30, 200, 95, &r), r);
       }},
      {"DetectingEvent_SampleSize_SimpleRandom", 500, [&api](int) {
         DetectionSampleSizeResult r{};
         return Answer(
             api.DetectingEvent_SampleSize_SimpleRandom(0.01f, 1000, 95, 0.9f, 0.95f, 0, 0, &r, 0.05f, 0), r);
       }},
      {"DetectingEvent_SampleSize_TwoStages", 500, [&api](int) {
         TwoStageDetectionResult r{};
         return Answer(api.DetectingEvent_SampleSize_TwoStages(95, 0.05f, 500, 0.2f, 100, 95, 0.9f, 0.98f, 0, 0,
                                                               &r, 0.05f, 0),
                       r);
       }},
      {"DetectingEvent_MaximumPrevalence", 2000, [&api](int) {
         MaximumPrevalenceResult r{};
         return Answer(api.DetectingEvent_MaximumPrevalence(30, 1000, 1.0f, 95, 0.05f, &r), r);
       }},
  };
}

// Runs `call` on every thread at once and checks each answer against the
// one thread's answer `expected`.
void RunTogether(const Call& call, const std::string& expected) {
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < call.repeats; ++i)
        if (call.run(t) != expected) ++mismatches[static_cast<std::size_t>(t)];
    });
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(0, mismatches[static_cast<std::size_t>(t)]) << call.name << " thread " << t;
}

TEST(Threads, EveryCalculationAgreesWithItsSingleThreadedAnswer) {
  if (Emulated()) GTEST_SKIP() << "not under user-mode emulation (guest threads stall there)";
  for (const Call& call : Calls()) RunTogether(call, call.run(0));
}

// Each thread seeds its own generator with the same seed and selects from the
// same list into a file of its own: every file holds the same units.
TEST(Threads, SelectionsSeededAlikeSelectAlike) {
  if (Emulated()) GTEST_SKIP() << "not under user-mode emulation (guest threads stall there)";
  const host::Api& api = Lib();
  const std::string units = TestFile("threads-units.txt"), sized = TestFile("threads-sized.txt");
  std::string unitBytes, sizedBytes;
  for (int i = 1; i <= 500; ++i) {
    unitBytes += "Farm " + std::to_string(i) + "\n";
    sizedBytes += "Herd " + std::to_string(i) + "," + std::to_string(i % 37 + 1) + "\n";
  }
  WriteBytes(units, unitBytes);
  WriteBytes(sized, sizedBytes);
  auto select = [&](int thread, bool proportional) {
    const std::string out = TestFile("threads-out-" + std::to_string(thread) + ".txt");
    SeedLibrary(api, 2024);
    int32_t line = -1;
    const QuorbelResult code =
        proportional ? api.Selection_ProbabilityProportional_A(40, sized.c_str(), out.c_str(), &line)
                     : api.Selection_SimpleRandom_A(40, units.c_str(), out.c_str(), &line);
    return std::to_string(code) + ReadBytes(out);
  };
  for (const bool proportional : {false, true}) {
    const Call call{proportional ? "Selection_ProbabilityProportional" : "Selection_SimpleRandom", 20,
                    [&, proportional](int thread) { return select(thread, proportional); }};
    const std::string expected = call.run(0);
    ASSERT_EQ('0', expected[0]) << call.name;
    RunTogether(call, expected);
  }
}

}  // namespace
}  // namespace quorbel::test
