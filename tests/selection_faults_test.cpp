// The selections and the two-stage interval against a platform table that
// counts draws, records the message box, and exhausts memory or fails file
// calls in turn (internal: the library's own objects, on every build).
#include <string>

#include "counting_platform.h"
#include "files.h"
#include "frame/list_separator.h"
#include "platform/platform.h"
#include "quorbel.h"
#include "support.h"

namespace quorbel::test {
namespace {

struct Recorder {
  static int draws, allocations, failAllocation;
  static std::wstring message, caption;
  static void Install() {
    FileCounter::Install();
    draws = allocations = failAllocation = 0;
    message.clear();
    caption.clear();
    platform::Calls& calls = platform::Current();
    calls.random = [] {
      ++draws;
      return platform::Defaults().random();
    };
    calls.showMessage = [](const wchar_t* text, const wchar_t* title) {
      message = text;
      caption = title;
    };
    calls.allocate = [](std::size_t bytes) -> void* {
      return ++allocations == failAllocation ? nullptr : platform::Defaults().allocate(bytes);
    };
  }
};
int Recorder::draws, Recorder::allocations, Recorder::failAllocation;
std::wstring Recorder::message, Recorder::caption;

struct SelectionFaults : ::testing::Test {
  void SetUp() override {
    ChooseListSeparator(9);
    Recorder::Install();
  }
  void TearDown() override {
    EXPECT_EQ(FileCounter::opened, FileCounter::closed) << "a file was left open";
    platform::Current() = platform::Defaults();
  }
};

std::wstring ListFile(const std::string& name, const std::string& bytes) {
  const std::string path = TestFile(name);
  WriteBytes(path, bytes);
  return Wide(path);
}

TEST_F(SelectionFaults, OneUnitMakesNoDraw) {
  int32_t line = -9;
  ASSERT_EQ(QUORBEL_OK, Selection_SimpleRandom(1, ListFile("one.txt", "A\n").c_str(),
                                               Wide(TestFile("one-out.txt")).c_str(), &line));
  EXPECT_EQ(0, Recorder::draws);
  ASSERT_EQ(QUORBEL_OK, Selection_SimpleRandom(1, ListFile("three.txt", "A\nB\nC\n").c_str(),
                                               Wide(TestFile("three-out.txt")).c_str(), &line));
  EXPECT_EQ(2, Recorder::draws);  // one draw per position 1 .. m - 1
}

TEST_F(SelectionFaults, LargeListsDrawTwicePerPositionFrom32768On) {
  std::string bytes;
  for (int i = 0; i < 32770; ++i) bytes += "u\n";
  int32_t line = -9;
  ASSERT_EQ(QUORBEL_OK, Selection_SimpleRandom(1, ListFile("big.txt", bytes).c_str(),
                                               Wide(TestFile("big-out.txt")).c_str(), &line));
  // Positions 1 .. 32766 have bound <= 32767 (one draw), 32767 .. 32769 two.
  EXPECT_EQ(32766 + 2 * 3, Recorder::draws);
}

TEST_F(SelectionFaults, MissingSizedListShowsThePathUnderERROR) {
  int32_t line = -9;
  const std::string out = TestFile("never.txt");
  Remove(out);
  EXPECT_EQ(QUORBEL_E_LIST_MISSING,
            Selection_ProbabilityProportional(1, L"test-files/absent.txt", Wide(out).c_str(), &line));
  EXPECT_EQ(std::wstring(L"test-files/absent.txt"), Recorder::message);
  EXPECT_EQ(std::wstring(L"ERROR"), Recorder::caption);
  EXPECT_FALSE(Exists(out));
  Recorder::message.clear();
  EXPECT_EQ(QUORBEL_E_LIST_MISSING, Selection_SimpleRandom(1, L"test-files/absent.txt", Wide(out).c_str(), &line));
  EXPECT_TRUE(Recorder::message.empty());  // simple random selection shows nothing
}

// Each working array is refused in turn: the call reports it, writes no file
// and leaves nothing allocated or open (LeakSanitizer checks the memory).
TEST_F(SelectionFaults, ExhaustedMemoryAtEachAllocation) {
  const std::wstring units = ListFile("units.txt", "A\nB\nC\n");
  const std::wstring sized = ListFile("sized.txt", "A,2\nB,3\nC,5\n");
  const std::wstring clusters = ListFile("clusters.txt", "H1,10,2\nH2,20,5\n");
  const std::string out = TestFile("memory-out.txt");
  for (int n = 1; n <= 3; ++n) {
    int32_t line = -9, field = -9;
    Recorder::allocations = 0;
    Recorder::failAllocation = n;
    Remove(out);
    const QuorbelResult random = Selection_SimpleRandom(2, units.c_str(), Wide(out).c_str(), &line);
    EXPECT_EQ(n <= 2 ? QUORBEL_E_NO_MEMORY : QUORBEL_OK, random) << n;
    EXPECT_EQ(n > 2, Exists(out)) << n;
    Recorder::allocations = 0;
    Remove(out);
    const QuorbelResult pps = Selection_ProbabilityProportional(2, sized.c_str(), Wide(out).c_str(), &line);
    EXPECT_EQ(n <= 2 ? QUORBEL_E_NO_MEMORY : QUORBEL_OK, pps) << n;
    EXPECT_EQ(n > 2, Exists(out)) << n;
    Recorder::allocations = 0;
    TwoStageIntervalResult r;
    Poison(r);
    const QuorbelResult interval = ConfidenceInterval_TwoStages(95, clusters.c_str(), &line, &field, &r);
    EXPECT_EQ(n == 1 ? QUORBEL_E_NO_MEMORY : QUORBEL_OK, interval) << n;
    EXPECT_EQ(n == 1, IsUntouched(r)) << n;
    EXPECT_EQ(-9, line);
  }
}

// Every read and write fails in turn: only a defined code comes back, and
// every file is closed.
TEST_F(SelectionFaults, FailingEachFileCallInTurn) {
  static int countdown;
  platform::Current().readBytes = [](void* file, char* buffer, unsigned long size) -> long {
    return --countdown == 0 ? -1 : platform::Defaults().readBytes(file, buffer, size);
  };
  platform::Current().writeBytes = [](void* file, const char* bytes, unsigned long size) {
    return --countdown == 0 ? false : platform::Defaults().writeBytes(file, bytes, size);
  };
  const std::wstring sized = ListFile("sized-io.txt", "A,2\nB,3\nC,5\n");
  const std::wstring units = ListFile("units-io.txt", "A\nB\nC\n");
  const std::wstring out = Wide(TestFile("io-out.txt"));
  for (int n = 1; n <= 8; ++n) {
    int32_t line = -9;
    countdown = n;
    const QuorbelResult pps = Selection_ProbabilityProportional(3, sized.c_str(), out.c_str(), &line);
    EXPECT_TRUE(pps == QUORBEL_OK || pps == QUORBEL_E_LIST_EMPTY || pps == QUORBEL_E_GENERAL ||
                pps == QUORBEL_E_RESULT_FILE)
        << n << ": " << pps;
    countdown = n;
    const QuorbelResult random = Selection_SimpleRandom(3, units.c_str(), out.c_str(), &line);
    EXPECT_TRUE(random == QUORBEL_OK || random == QUORBEL_E_LIST_EMPTY || random == QUORBEL_E_GENERAL ||
                random == QUORBEL_E_RESULT_FILE)
        << n << ": " << random;
  }
}

}  // namespace
}  // namespace quorbel::test
