// Selection_SimpleRandom and Selection_ProbabilityProportional (and their
// narrow twins) through the exported names, on files.
#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "files.h"
#include "support.h"

namespace quorbel::test {
namespace {

constexpr int32_t kUntouched = -9;

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = bytes.find("\r\n", start);
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

struct Selection {
  QuorbelResult code;
  int32_t faultLine = kUntouched;
  bool written;
  std::string bytes;
};

Selection Select(bool proportional, int n, const std::string& list, const char* out = "selected.txt") {
  const std::string result = TestFile(out);
  Remove(result);
  Selection s;
  s.code = proportional ? Lib().Selection_ProbabilityProportional(n, Wide(list).c_str(), Wide(result).c_str(),
                                                                  &s.faultLine)
                        : Lib().Selection_SimpleRandom(n, Wide(list).c_str(), Wide(result).c_str(), &s.faultLine);
  s.written = Exists(result);
  s.bytes = ReadBytes(result);
  return s;
}

std::string List(const std::string& name, const std::string& bytes) {
  const std::string path = TestFile(name);
  WriteBytes(path, bytes);
  return path;
}

TEST(SimpleRandomSelection, MoreThanTheListWritesEveryUnitOnce) {
  const Selection s = Select(false, 8, List("five.txt", "A\nB\nC\nD\nE\n"));
  ASSERT_EQ(QUORBEL_OK, s.code);
  std::vector<std::string> names = Lines(s.bytes);
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"A", "B", "C", "D", "E"}), names);
  EXPECT_EQ(kUntouched, s.faultLine);
}

TEST(SimpleRandomSelection, SameSeedSameSelectionAndTheSequenceGoesOn) {
  const std::string list = List("hundred.txt", [] {
    std::string bytes;
    for (int i = 1; i <= 100; ++i) bytes += "Farm " + std::to_string(i) + "\n";
    return bytes;
  }());
  SeedLibrary(Lib(), 42);
  const Selection first = Select(false, 10, list);
  const Selection next = Select(false, 10, list);
  SeedLibrary(Lib(), 42);
  const Selection again = Select(false, 10, list);
  EXPECT_EQ(first.bytes, again.bytes);
  EXPECT_NE(first.bytes, next.bytes);
  const std::vector<std::string> names = Lines(first.bytes);
  EXPECT_EQ(10u, std::set<std::string>(names.begin(), names.end()).size());  // never repeated
}

TEST(SimpleRandomSelection, ExactBytesOfAOneUnitList) {
  const Selection s = Select(false, 1, List("one.txt", "Only farm\r\n"));
  ASSERT_EQ(QUORBEL_OK, s.code);
  EXPECT_EQ("Only farm\r\n", s.bytes);
}

TEST(SimpleRandomSelection, NarrowPathsGiveTheSameFile) {
  const std::string list = List("narrow.txt", "A\nB\nC\nD\n");
  SeedLibrary(Lib(), 3);
  const Selection wide = Select(false, 2, list);
  SeedLibrary(Lib(), 3);
  const std::string out = TestFile("narrow-out.txt");
  int32_t line = kUntouched;
  ASSERT_EQ(QUORBEL_OK, Lib().Selection_SimpleRandom_A(2, list.c_str(), out.c_str(), &line));
  EXPECT_EQ(wide.bytes, ReadBytes(out));
}

struct Failure {
  const char* name;
  bool proportional;
  int n;
  const char* list;  // null: a path that does not exist
  QuorbelResult code;
  int32_t faultLine;
};

const Failure kFailures[] = {
    {"random: n 0", false, 0, "A\n", QUORBEL_E_SELECT_COUNT, kUntouched},
    {"random: missing list", false, 1, nullptr, QUORBEL_E_LIST_MISSING, kUntouched},
    {"random: first line empty", false, 1, "\nA\n", QUORBEL_E_LIST_EMPTY, kUntouched},
    {"random: an empty file", false, 1, "", QUORBEL_E_LIST_EMPTY, kUntouched},
    {"pps: n 0", true, 0, "A,1\n", QUORBEL_E_PPS_COUNT, kUntouched},
    {"pps: n -5", true, -5, "A,1\n", QUORBEL_E_PPS_COUNT, kUntouched},
    {"pps: first line empty", true, 1, "\nA,1\n", QUORBEL_E_LIST_EMPTY, kUntouched},
    {"pps: more than the list", true, 4, "A,2\nB,3\nC,5\n", QUORBEL_E_TOO_MANY, kUntouched},
    {"pps: three fields on line 2", true, 1, "A,2\nB,3,4\nC,5\n", QUORBEL_E_SIZED_LINE, 2},
    {"pps: no size on line 3", true, 1, "A,2\nB,3\nC\n", QUORBEL_E_SIZED_LINE, 3},
};

TEST(Selection, FailuresCreateNoResultFile) {
  for (const Failure& f : kFailures) {
    const std::string list = f.list != nullptr ? List("failing.txt", f.list) : TestFile("no-such-list.txt");
    const Selection s = Select(f.proportional, f.n, list);
    EXPECT_EQ(f.code, s.code) << f.name;
    EXPECT_EQ(f.faultLine, s.faultLine) << f.name;
    EXPECT_FALSE(s.written) << f.name;
  }
}

TEST(Selection, AResultFileThatCannotBeCreated) {
  const std::string list = List("ok.txt", "A,1\n");
  int32_t line = kUntouched;
  EXPECT_EQ(QUORBEL_E_RESULT_FILE,
            Lib().Selection_SimpleRandom(1, Wide(list).c_str(), L"test-files/missing-folder/out.txt", &line));
  EXPECT_EQ(QUORBEL_E_RESULT_FILE, Lib().Selection_ProbabilityProportional(1, Wide(list).c_str(),
                                                                           L"test-files/missing-folder/out.txt", &line));
  EXPECT_EQ(kUntouched, line);
}

// The first draw after a seed decides the start: r * 3 / 32768 below 1 gives
// start 1 (points 1, 4, 7, 10), from 21846 on start 3 (points 3, 6, 9).
unsigned SeedWithFirstDraw(bool (*wanted)(int)) {
  unsigned seed = 1;
  while (!wanted(FirstDraw(seed))) ++seed;
  return seed;
}

TEST(ProportionalSelection, SizesTwoThreeFiveWithBothStarts) {
  const std::string list = List("235.txt", "Small,2\nMiddle,3\nLarge,5\n");
  SeedLibrary(Lib(), SeedWithFirstDraw([](int r) { return r < 10923; }));
  const Selection low = Select(true, 3, list);
  ASSERT_EQ(QUORBEL_OK, low.code);
  EXPECT_EQ("Small,1\r\nMiddle,1\r\nLarge,2\r\n", low.bytes);
  SeedLibrary(Lib(), SeedWithFirstDraw([](int r) { return r >= 21846; }));
  const Selection high = Select(true, 3, list);
  ASSERT_EQ(QUORBEL_OK, high.code);
  EXPECT_EQ("Middle,1\r\nLarge,2\r\n", high.bytes);
}

TEST(ProportionalSelection, PointsAreNotCappedAtN) {
  std::string bytes;
  for (int i = 0; i < 19; ++i) bytes += "U" + std::to_string(i) + ",1\n";
  bytes += "Zero,0\n";
  const Selection s = Select(true, 10, List("nineteen.txt", bytes));
  ASSERT_EQ(QUORBEL_OK, s.code);
  const std::vector<std::string> lines = Lines(s.bytes);
  EXPECT_EQ(19u, lines.size());  // step 1 selects every unit of size 1, and never the one of size 0
  for (const std::string& line : lines) EXPECT_EQ(",1", line.substr(line.size() - 2));
}

TEST(ProportionalSelection, NonNumericSizesGiveStepZeroAndNPlusOneHits) {
  const Selection s = Select(true, 2, List("zero.txt", "A,abc\nB,1\nC,0\n"));
  ASSERT_EQ(QUORBEL_OK, s.code);
  EXPECT_EQ("B,3\r\n", s.bytes);  // step 0: the point 1 never moves; B holds it n + 1 times
}

}  // namespace
}  // namespace quorbel::test
