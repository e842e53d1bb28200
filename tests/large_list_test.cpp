// Lists far larger than the other tests use, run only where CTest asks for
// them (QUORBEL_LARGE_LISTS=1): the native build selects from ten million
// units, and the 32-bit DLL meets a list whose names do not fit in its
// address space with a result code, not a crash.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files.h"
#include "support.h"

namespace quorbel::test {
namespace {

bool LargeListsWanted() { return std::getenv("QUORBEL_LARGE_LISTS") != nullptr; }

// Writes `lines` lines made by `line` (a buffer it fills, returning its length).
template <class Line>
bool WriteLines(const std::string& path, long lines, Line line) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  char text[512];
  bool ok = true;
  for (long i = 1; i <= lines && ok; ++i) {
    const std::size_t length = line(i, text);
    ok = std::fwrite(text, 1, length, file) == length;
  }
  return std::fclose(file) == 0 && ok;
}

int CountLines(const std::string& bytes) {
  int lines = 0;
  for (char c : bytes) lines += c == '\n';
  return lines;
}

TEST(LargeLists, TenMillionUnits) {
  if (!LargeListsWanted() || sizeof(void*) < 8) GTEST_SKIP() << "set QUORBEL_LARGE_LISTS=1 (64-bit builds)";
  const std::string units = TestFile("ten-million.txt"), sized = TestFile("ten-million-sized.txt");
  const std::string out = TestFile("ten-million-out.txt");
  ASSERT_TRUE(WriteLines(units, 10000000, [](long i, char* text) {
    return static_cast<std::size_t>(std::snprintf(text, 64, "Farm %ld\n", i));
  }));
  ASSERT_TRUE(WriteLines(sized, 10000000, [](long i, char* text) {
    return static_cast<std::size_t>(std::snprintf(text, 64, "Herd %ld,%ld\n", i, i % 100 + 1));
  }));
  int32_t line = -9;
  ASSERT_EQ(QUORBEL_OK, Lib().Selection_SimpleRandom_A(1000, units.c_str(), out.c_str(), &line));
  EXPECT_EQ(1000, CountLines(ReadBytes(out)));
  // Sizes 1 .. 100 repeat, so the total is 10^5 * 5050 and the step 505,000
  // for 1,000 points: exactly 1,000 hits, each on a unit of its own.
  ASSERT_EQ(QUORBEL_OK, Lib().Selection_ProbabilityProportional_A(1000, sized.c_str(), out.c_str(), &line));
  EXPECT_EQ(1000, CountLines(ReadBytes(out)));
  EXPECT_EQ(std::string::npos, ReadBytes(out).find(",2\r"));
  Remove(units);
  Remove(sized);
  Remove(out);
}

// 4.3 million lines of 300 bytes: the names need 4.3e6 * 255 characters of
// two bytes, 2.2 GB, beyond what a 32-bit process can allocate.
TEST(LargeLists, NamesBeyondThe32BitAddressSpace) {
  if (!LargeListsWanted() || sizeof(void*) != 4) GTEST_SKIP() << "set QUORBEL_LARGE_LISTS=1 (32-bit builds)";
  const std::string units = TestFile("beyond-32-bit.txt"), out = TestFile("beyond-32-bit-out.txt");
  Remove(out);
  ASSERT_TRUE(WriteLines(units, 4300000, [](long, char* text) {
    std::string line(299, 'n');
    line += '\n';
    line.copy(text, line.size());
    return line.size();
  }));
  int32_t line = -9;
  const QuorbelResult code = Lib().Selection_SimpleRandom_A(10, units.c_str(), out.c_str(), &line);
  EXPECT_TRUE(code == QUORBEL_E_NO_MEMORY || code == QUORBEL_E_GENERAL) << std::hex << code;
  EXPECT_FALSE(Exists(out));
  Remove(units);
}

}  // namespace
}  // namespace quorbel::test
