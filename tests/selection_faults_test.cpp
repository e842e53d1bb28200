// The selections and the two-stage interval against a platform table that
// counts draws, records the message box, and exhausts memory or fails file
// calls in turn (internal: the library's own objects, on every build).
#include <string>

#include "counting_platform.h"
#include "files.h"
#include "library/list_separator.h"
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

// Each allocation is refused in turn. The calls allocate, in this order: the
// counting pass's read buffer (a count of 0 follows), the working arrays
// (QUORBEL_E_NO_MEMORY), and the reading pass's read buffer (a failed read).
// Every refusal writes no file and leaves nothing allocated or open
// (LeakSanitizer checks the memory).
TEST_F(SelectionFaults, ExhaustedMemoryAtEachAllocation) {
  const std::wstring units = ListFile("units.txt", "A\nB\nC\n");
  const std::wstring sized = ListFile("sized.txt", "A,2\nB,3\nC,5\n");
  const std::wstring clusters = ListFile("clusters.txt", "H1,10,2\nH2,20,5\n");
  const std::string out = TestFile("memory-out.txt");
  // Simple random: count buffer, name pool, name starts, index array, read buffer.
  const QuorbelResult simple[] = {QUORBEL_E_LIST_EMPTY, QUORBEL_E_NO_MEMORY, QUORBEL_E_NO_MEMORY,
                                  QUORBEL_E_NO_MEMORY, QUORBEL_E_GENERAL, QUORBEL_OK};
  // Proportional: count buffer, name pool, name starts, frame, read buffer, result.
  const QuorbelResult proportional[] = {QUORBEL_E_LIST_EMPTY, QUORBEL_E_NO_MEMORY, QUORBEL_E_NO_MEMORY,
                                        QUORBEL_E_NO_MEMORY,  QUORBEL_E_GENERAL,   QUORBEL_E_NO_MEMORY,
                                        QUORBEL_OK};
  // Two-stage interval: count buffer, cluster table, read buffer.
  const QuorbelResult interval[] = {QUORBEL_E_CLUSTER_FILE, QUORBEL_E_NO_MEMORY, QUORBEL_E_GENERAL, QUORBEL_OK};
  for (int n = 1; n <= 7; ++n) {
    int32_t line = -9, field = -9;
    if (n <= 6) {
      Recorder::allocations = 0;
      Recorder::failAllocation = n;
      Remove(out);
      EXPECT_EQ(simple[n - 1], Selection_SimpleRandom(2, units.c_str(), Wide(out).c_str(), &line)) << n;
      EXPECT_EQ(n == 6, Exists(out)) << n;
      EXPECT_EQ(n == 5 ? -1 : -9, line) << n;
      line = -9;
    }
    Recorder::allocations = 0;
    Recorder::failAllocation = n;
    Remove(out);
    EXPECT_EQ(proportional[n - 1], Selection_ProbabilityProportional(2, sized.c_str(), Wide(out).c_str(), &line))
        << n;
    EXPECT_EQ(n == 7, Exists(out)) << n;
    EXPECT_EQ(n == 5 ? -1 : -9, line) << n;
    if (n <= 4) {
      line = -9;
      Recorder::allocations = 0;
      Recorder::failAllocation = n;
      TwoStageIntervalResult r;
      Poison(r);
      EXPECT_EQ(interval[n - 1], ConfidenceInterval_TwoStages(95, clusters.c_str(), &line, &field, &r)) << n;
      EXPECT_EQ(n < 4, IsUntouched(r)) << n;
      EXPECT_EQ(n == 3 ? -1 : -9, line) << n;
    }
  }
}

// Each file call fails in turn. A three-line list is read in two reads per
// pass (the bytes, then the end of the file); the counting pass comes first,
// so its failures count no unit, and the reading pass's fail the read.
struct FileFault {
  const char* call;
  int nth;
  QuorbelResult simple, proportional;
  bool written;  // the result file exists afterwards
};
const FileFault kFileFaults[] = {
    {"openForReading", 1, QUORBEL_E_LIST_EMPTY, QUORBEL_E_LIST_EMPTY, false},
    {"openForReading", 2, QUORBEL_E_GENERAL, QUORBEL_E_GENERAL, false},
    {"readBytes", 1, QUORBEL_E_LIST_EMPTY, QUORBEL_E_LIST_EMPTY, false},
    {"readBytes", 2, QUORBEL_E_LIST_EMPTY, QUORBEL_E_LIST_EMPTY, false},
    {"readBytes", 3, QUORBEL_E_GENERAL, QUORBEL_E_GENERAL, false},
    {"readBytes", 4, QUORBEL_E_GENERAL, QUORBEL_E_GENERAL, false},
    {"createForWriting", 1, QUORBEL_E_RESULT_FILE, QUORBEL_E_RESULT_FILE, false},
    {"writeBytes", 1, QUORBEL_E_RESULT_FILE, QUORBEL_E_RESULT_FILE, true},
    {"writeBytes", 2, QUORBEL_E_RESULT_FILE, QUORBEL_E_RESULT_FILE, true},  // both files have 2 or more lines
};

struct FailingCall {
  static inline std::string call;
  static inline int countdown = 0;
  static bool Fails(const char* name) { return call == name && --countdown == 0; }
  static void Install(const FileFault& fault) {
    call = fault.call;
    countdown = fault.nth;
    platform::Calls& calls = platform::Current();
    calls.openForReading = [](const wchar_t* path) -> void* {
      if (Fails("openForReading")) return nullptr;
      ++FileCounter::opened;
      return platform::Defaults().openForReading(path);
    };
    calls.readBytes = [](void* file, char* buffer, unsigned long size) -> long {
      return Fails("readBytes") ? -1 : platform::Defaults().readBytes(file, buffer, size);
    };
    calls.createForWriting = [](const wchar_t* path, unsigned long* error) -> void* {
      if (Fails("createForWriting")) {
        *error = 5;
        return nullptr;
      }
      ++FileCounter::opened;
      return platform::Defaults().createForWriting(path, error);
    };
    calls.writeBytes = [](void* file, const char* bytes, unsigned long size) {
      return !Fails("writeBytes") && platform::Defaults().writeBytes(file, bytes, size);
    };
  }
};

TEST_F(SelectionFaults, FailingEachFileCallInTurn) {
  const std::wstring sized = ListFile("sized-io.txt", "A,2\nB,3\nC,5\n");
  const std::wstring units = ListFile("units-io.txt", "A\nB\nC\n");
  const std::string out = TestFile("io-out.txt");
  for (const FileFault& fault : kFileFaults) {
    const std::string what = std::string(fault.call) + " #" + std::to_string(fault.nth);
    int32_t line = -9;
    Remove(out);
    FailingCall::Install(fault);
    EXPECT_EQ(fault.proportional, Selection_ProbabilityProportional(3, sized.c_str(), Wide(out).c_str(), &line))
        << what;
    EXPECT_EQ(fault.written, Exists(out)) << what;
    EXPECT_EQ(fault.proportional == QUORBEL_E_GENERAL ? -1 : -9, line) << what;
    line = -9;
    Remove(out);
    FailingCall::Install(fault);
    EXPECT_EQ(fault.simple, Selection_SimpleRandom(3, units.c_str(), Wide(out).c_str(), &line)) << what;
    EXPECT_EQ(fault.written, Exists(out)) << what;
    EXPECT_EQ(fault.simple == QUORBEL_E_GENERAL ? -1 : -9, line) << what;
  }
}

}  // namespace
}  // namespace quorbel::test
