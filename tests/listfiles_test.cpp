// List-file readers, field splitting and result-file writers (internal), with
// a platform table that counts every open against its close.
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "counting_platform.h"
#include "files.h"
#include "frame/list_separator.h"
#include "listfiles/list_file.h"
#include "platform/platform.h"
#include "support.h"

namespace quorbel::test {
namespace {

struct ListFiles : ::testing::Test {
  void SetUp() override {
    ChooseListSeparator(9);
    FileCounter::Install();
  }
  void TearDown() override {
    EXPECT_EQ(FileCounter::opened, FileCounter::closed) << "a file was left open";
    platform::Current() = platform::Defaults();
    ChooseListSeparator(9);
  }
  std::wstring Write(const std::string& name, const std::string& bytes) {
    const std::string path = TestFile(name);
    WriteBytes(path, bytes);
    return Wide(path);
  }
};

struct FieldCase {
  const char* line;
  int count;
  std::vector<std::wstring> fields;
};

const FieldCase kFieldCases[] = {
    {"A;B", 2, {L"A", L"B"}},
    {";A;B", 2, {L"A", L"B"}},
    {"A;;B", 3, {L"A", L"B"}},
    {"A;B;", 3, {L"A", L"B"}},
    {"", 1, {}},
    {"North 2", 1, {L"North 2"}},
};

TEST_F(ListFiles, FieldsAreRunsBetweenSeparators) {
  ChooseListSeparator(10);  // Spanish: ";"
  for (const FieldCase& c : kFieldCases) {
    const std::wstring line = Wide(c.line);
    EXPECT_EQ(c.count, ListFile_FieldCount(line.c_str())) << c.line;
    wchar_t out[kLineCapacity];
    for (size_t k = 0; k < c.fields.size(); ++k) {
      ASSERT_TRUE(ListFile_GetField(line.c_str(), static_cast<int>(k + 1), out)) << c.line;
      EXPECT_EQ(c.fields[k], out) << c.line;
    }
    wcscpy(out, L"untouched");
    EXPECT_FALSE(ListFile_GetField(line.c_str(), static_cast<int>(c.fields.size() + 1), out)) << c.line;
    EXPECT_EQ(std::wstring(L"untouched"), out);
  }
}

TEST_F(ListFiles, IntegerFieldsReadAsWtoi) {
  const struct {
    const wchar_t* text;
    int32_t value;
  } cases[] = {{L"120", 120},         {L" 120", 120},         {L"\t-5x", -5},          {L"+7", 7},
               {L"abc", 0},           {L"", 0},               {L"99999999999", INT32_MAX},
               {L"-2147483648", INT32_MIN}, {L"-99999999999", INT32_MIN}, {L"12 34", 12}};
  for (const auto& c : cases) EXPECT_EQ(c.value, ListFile_FieldToInt(c.text)) << c.text;
}

TEST_F(ListFiles, UnitListEndsAtItsFirstEmptyLine) {
  EXPECT_EQ(2, ListFile_CountUnits(Write("units.txt", "A\nB\n\nC\n").c_str()));
  EXPECT_EQ(2, ListFile_CountUnits(Write("units-crlf.txt", "A\r\nB\r\n\r\nC\r\n").c_str()));
  EXPECT_EQ(3, ListFile_CountUnits(Write("units-no-end.txt", "A\nB\nC").c_str()));
  EXPECT_EQ(0, ListFile_CountUnits(Write("empty.txt", "").c_str()));
  EXPECT_EQ(0, ListFile_CountUnits(Write("first-empty.txt", "\nA\n").c_str()));
  EXPECT_EQ(0, ListFile_CountUnits(L"test-files/no-such-file.txt"));
}

TEST_F(ListFiles, UnitNamesAreWholeLinesCutAt254) {
  const std::wstring path = Write("long.txt", std::string(300, 'x') + "\nNorth,12\r\n");
  UnitNameSlot units[2];
  const ListReadError e = ListFile_ReadUnits(units, path.c_str(), 2);
  EXPECT_EQ(0, e.code);
  EXPECT_EQ(std::wstring(254, L'x'), units[0].name);
  EXPECT_EQ(std::wstring(L"North,12"), units[1].name);
}

TEST_F(ListFiles, SizedLines) {
  const struct {
    const char* line;
    int32_t code, field;
    const wchar_t* name;
    int32_t size;
  } cases[] = {
      {"Farm 1,120", 0, -1, L"Farm 1", 120},
      {"Farm 1, 120", 0, -1, L"Farm 1", 120},
      {",Farm,12", 0, -1, L"Farm", 12},
      {"Farm,abc", 0, -1, L"Farm", 0},
      {"Farm,,12", static_cast<int32_t>(QUORBEL_E_SIZED_LINE), -1, nullptr, 0},
      {"Farm,12,", static_cast<int32_t>(QUORBEL_E_SIZED_LINE), -1, nullptr, 0},
      {"Farm", static_cast<int32_t>(QUORBEL_E_SIZED_LINE), -1, nullptr, 0},
  };
  for (const auto& c : cases) {
    const std::wstring path = Write("sized.txt", std::string("First,5\n") + c.line + "\n");
    SizedUnit units[2];
    const ListReadError e = ListFile_ReadSizedUnits(units, path.c_str(), 2);
    EXPECT_EQ(c.code, e.code) << c.line;
    if (c.code != 0) {
      EXPECT_EQ(2, e.line) << c.line;
      EXPECT_EQ(c.field, e.field) << c.line;
      continue;
    }
    EXPECT_EQ(std::wstring(c.name), units[1].name) << c.line;
    EXPECT_EQ(c.size, units[1].size) << c.line;
    EXPECT_EQ(5 + c.size, units[1].cumulativeSize) << c.line;
    EXPECT_EQ(0, units[1].timesSelected) << c.line;
  }
}

TEST_F(ListFiles, SizesBeyondThe32BitTotalAreAFaultOfTheirLine) {
  const std::wstring path = Write("big.txt", "A,2147483647\nB,1\n");
  SizedUnit units[2];
  const ListReadError e = ListFile_ReadSizedUnits(units, path.c_str(), 2);
  EXPECT_EQ(static_cast<int32_t>(QUORBEL_E_SIZED_LINE), e.code);
  EXPECT_EQ(2, e.line);
  EXPECT_EQ(2, e.field);
}

TEST_F(ListFiles, ClusterLines) {
  const std::wstring path = Write("clusters.txt", "H1,30,2,extra\nH1,,30,2\nH1,,30\nH2,1\n");
  EXPECT_EQ(3, ListFile_CountClusters(path.c_str()));  // "H2,1" has two fields
  ClusterEntry clusters[3];
  const ListReadError e = ListFile_ReadClusters(clusters, path.c_str(), 3);
  EXPECT_EQ(static_cast<int32_t>(QUORBEL_E_CLUSTER_FIELD), e.code);
  EXPECT_EQ(3, e.line);
  EXPECT_EQ(3, e.field);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(std::wstring(L"H1"), clusters[i].name);
    EXPECT_EQ(30, clusters[i].firstCount);
    EXPECT_EQ(2, clusters[i].secondCount);
  }
}

TEST_F(ListFiles, SpanishLocaleSplitsAtSemicolons) {
  const std::wstring path = Write("clusters-es.txt", "H1;10;2\nH2,20,5\n");
  ChooseListSeparator(10);
  EXPECT_EQ(1, ListFile_CountClusters(path.c_str()));
  ChooseListSeparator(9);
  EXPECT_EQ(0, ListFile_CountClusters(path.c_str()));
}

TEST_F(ListFiles, ResultFilesAreCrLfLinesWithAFixedComma) {
  ChooseListSeparator(10);  // the comma does not follow the separator
  UnitNameSlot units[3] = {{L"B"}, {L"A"}, {L"C"}};
  const std::string simple = TestFile("simple-out.txt");
  ASSERT_EQ(0u, ResultFile_WriteUnits(units, Wide(simple).c_str(), 3));
  EXPECT_EQ("B\r\nA\r\nC\r\n", ReadBytes(simple));
  SizedUnit sized[2] = {{L"North 2", 7, 0, 2}, {L"South", 1, 0, 1}};
  const std::string pps = TestFile("pps-out.txt");
  WriteBytes(pps, "an old file that must be replaced, not appended to\n");
  ASSERT_EQ(0u, ResultFile_WriteSizedUnits(sized, Wide(pps).c_str(), 2));
  EXPECT_EQ("North 2,2\r\nSouth,1\r\n", ReadBytes(pps));
  ASSERT_EQ(0u, ResultFile_WriteUnits(units, Wide(simple).c_str(), 0));
  EXPECT_EQ("", ReadBytes(simple));
}

TEST_F(ListFiles, NamesAreCutAt252BytesAndUnwritableCharactersBecomeQuestionMarks) {
  UnitNameSlot units[2] = {};
  std::wmemset(units[0].name, L'n', 254);
  std::wcscpy(units[1].name, L"caf\u00E9 \u4E2D");
  const std::string path = TestFile("cut-out.txt");
  std::setlocale(LC_ALL, "C");
  ASSERT_EQ(0u, ResultFile_WriteUnits(units, Wide(path).c_str(), 2));
  EXPECT_EQ(std::string(252, 'n') + "\r\ncaf\xE9 ?\r\n", ReadBytes(path));
}

TEST_F(ListFiles, AResultFileInAMissingFolderIsNotCreated) {
  UnitNameSlot units[1] = {{L"A"}};
  EXPECT_NE(0u, ResultFile_WriteUnits(units, L"test-files/no-such-folder/out.txt", 1));
  EXPECT_EQ(0, FileCounter::opened);
}

// Each read, write and allocation fails in turn: every run ends in a defined
// outcome with every file closed.
TEST_F(ListFiles, FailingTheNthReadOrWriteLeavesNothingOpen) {
  static int countdown;
  const std::wstring path = Write("faults.txt", "A,1\nB,2\nC,3\n");
  platform::Current().readBytes = [](void* file, char* buffer, unsigned long size) -> long {
    return --countdown == 0 ? -1 : platform::Defaults().readBytes(file, buffer, size);
  };
  platform::Current().writeBytes = [](void* file, const char* bytes, unsigned long size) {
    return --countdown == 0 ? false : platform::Defaults().writeBytes(file, bytes, size);
  };
  for (int n = 1; n <= 4; ++n) {
    countdown = n;
    const int32_t count = ListFile_CountUnits(path.c_str());
    EXPECT_TRUE(count == 0 || count == 3) << n;
    countdown = n;
    SizedUnit units[3];
    const ListReadError e = ListFile_ReadSizedUnits(units, path.c_str(), 3);
    EXPECT_TRUE(e.code == 0 || (e.code == static_cast<int32_t>(QUORBEL_E_GENERAL) && e.line == -1)) << n;
    countdown = n;
    const unsigned long written = ResultFile_WriteSizedUnits(units, Wide(TestFile("faults-out.txt")).c_str(), 3);
    EXPECT_TRUE(written == 0 || written == 1) << n;
  }
}

}  // namespace
}  // namespace quorbel::test
