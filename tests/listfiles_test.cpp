// List-file readers, field splitting and result-file writers (internal), with
// a platform table that counts every open against its close.
#include <algorithm>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "counting_platform.h"
#include "files.h"
#include "library/list_separator.h"
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

// A unit list read as a selection reads it: measured, then read into a
// name table; the names come back as strings.
struct ReadNames {
  ListReadError error;
  std::vector<std::wstring> names;
};
ReadNames ReadUnitList(const std::wstring& path) {
  const ListSize size = ListFile_MeasureUnits(path.c_str());
  NameTable table(size);
  ReadNames out{ListFile_ReadUnits(table, path.c_str(), size.records), {}};
  if (out.error.code == 0)
    for (int32_t i = 0; i < size.records; ++i) out.names.push_back(table[i]);
  return out;
}

struct ReadSized {
  ListReadError error;
  std::vector<std::wstring> names;
  std::vector<SizedUnit> units;
};
ReadSized ReadSizedList(const std::wstring& path) {
  const ListSize size = ListFile_MeasureUnits(path.c_str());
  NameTable table(size);
  ReadSized out{{}, {}, std::vector<SizedUnit>(static_cast<std::size_t>(size.records))};
  out.error = ListFile_ReadSizedUnits(table, out.units.data(), path.c_str(), size.records);
  if (out.error.code == 0)
    for (int32_t i = 0; i < size.records; ++i) out.names.push_back(table[i]);
  return out;
}

// A name table holding `names`, for the writers.
struct Names {
  explicit Names(std::vector<std::wstring> names)
      : table({static_cast<int32_t>(names.size()), Characters(names)}) {
    for (const std::wstring& name : names) EXPECT_TRUE(table.Add(name.c_str(), name.size()));
  }
  static std::size_t Characters(const std::vector<std::wstring>& names) {
    std::size_t characters = 0;
    for (const std::wstring& name : names) characters += name.size() + 1;
    return characters;
  }
  NameTable table;
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
  const ReadNames read = ReadUnitList(Write("long.txt", std::string(300, 'x') + "\nNorth,12\r\n"));
  ASSERT_EQ(0, read.error.code);
  ASSERT_EQ(2u, read.names.size());
  EXPECT_EQ(std::wstring(254, L'x'), read.names[0]);
  EXPECT_EQ(std::wstring(L"North,12"), read.names[1]);
}

// A CR is dropped only just before an LF, also when the two arrive in
// different reads; a CR at the very end of the file stays part of the line.
TEST_F(ListFiles, CrIsDroppedOnlyBeforeLf) {
  static int pieces;
  pieces = 0;
  platform::Current().readBytes = [](void* file, char* buffer, unsigned long) -> long {
    ++pieces;
    return platform::Defaults().readBytes(file, buffer, 1);  // one byte at a time
  };
  const ReadNames read = ReadUnitList(Write("crlf-split.txt", "A\r\nB\r\rC\r"));
  ASSERT_EQ(0, read.error.code);
  EXPECT_EQ((std::vector<std::wstring>{L"A", L"B\r\rC\r"}), read.names);
  EXPECT_GT(pieces, 9);
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
    const ReadSized read = ReadSizedList(Write("sized.txt", std::string("First,5\n") + c.line + "\n"));
    EXPECT_EQ(c.code, read.error.code) << c.line;
    if (c.code != 0) {
      EXPECT_EQ(2, read.error.line) << c.line;
      EXPECT_EQ(c.field, read.error.field) << c.line;
      continue;
    }
    EXPECT_EQ(std::wstring(c.name), read.names[1]) << c.line;
    EXPECT_EQ(c.size, read.units[1].size) << c.line;
    EXPECT_EQ(5 + c.size, read.units[1].cumulativeSize) << c.line;
    EXPECT_EQ(0, read.units[1].timesSelected) << c.line;
  }
}

TEST_F(ListFiles, SizesBeyondThe32BitTotalAreAFaultOfTheirLine) {
  const ReadSized read = ReadSizedList(Write("big.txt", "A,2147483647\nB,1\n"));
  EXPECT_EQ(static_cast<int32_t>(QUORBEL_E_SIZED_LINE), read.error.code);
  EXPECT_EQ(2, read.error.line);
  EXPECT_EQ(2, read.error.field);
}

TEST_F(ListFiles, ClusterLines) {
  const std::wstring path = Write("clusters.txt", "H1,30,2,extra\n  ,,30,2\nH1,,30\nH2,1\n");
  EXPECT_EQ(3, ListFile_CountClusters(path.c_str()));  // "H2,1" has two fields
  ClusterEntry clusters[3];
  const ListReadError e = ListFile_ReadClusters(clusters, path.c_str(), 3);
  EXPECT_EQ(static_cast<int32_t>(QUORBEL_E_CLUSTER_FIELD), e.code);
  EXPECT_EQ(3, e.line);
  EXPECT_EQ(3, e.field);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(30, clusters[i].firstCount);
    EXPECT_EQ(2, clusters[i].secondCount);
    EXPECT_EQ(i == 1, clusters[i].blankName);  // "  " is blank once trailing spaces go
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
  const Names names({L"A", L"B", L"C"});
  const int32_t order[3] = {1, 0, 2};
  const std::string simple = TestFile("simple-out.txt");
  ASSERT_EQ(0u, ResultFile_WriteUnits(names.table, order, Wide(simple).c_str(), 3));
  EXPECT_EQ("B\r\nA\r\nC\r\n", ReadBytes(simple));
  const Names sizedNames({L"North 2", L"Middle", L"South"});
  const SizedUnit sized[3] = {{7, 7, 2}, {1, 8, 0}, {1, 9, 1}};
  const int32_t selected[2] = {0, 2};
  const std::string pps = TestFile("pps-out.txt");
  WriteBytes(pps, "an old file that must be replaced, not appended to\n");
  ASSERT_EQ(0u, ResultFile_WriteSizedUnits(sizedNames.table, sized, selected, Wide(pps).c_str(), 2));
  EXPECT_EQ("North 2,2\r\nSouth,1\r\n", ReadBytes(pps));
  ASSERT_EQ(0u, ResultFile_WriteUnits(names.table, order, Wide(simple).c_str(), 0));
  EXPECT_EQ("", ReadBytes(simple));
}

TEST_F(ListFiles, NamesAreCutAt252BytesAndUnwritableCharactersBecomeQuestionMarks) {
  const Names names({std::wstring(254, L'n'), L"caf\u00E9 \u4E2D"});
  const int32_t order[2] = {0, 1};
  const std::string path = TestFile("cut-out.txt");
  std::setlocale(LC_ALL, "C");
  ASSERT_EQ(0u, ResultFile_WriteUnits(names.table, order, Wide(path).c_str(), 2));
  EXPECT_EQ(std::string(252, 'n') + "\r\ncaf\xE9 ?\r\n", ReadBytes(path));
}

TEST_F(ListFiles, AResultFileInAMissingFolderIsNotCreated) {
  const Names names({L"A"});
  const int32_t order[1] = {0};
  EXPECT_NE(0u, ResultFile_WriteUnits(names.table, order, L"test-files/no-such-folder/out.txt", 1));
  EXPECT_EQ(0, FileCounter::opened);
}

// A name table is sized by the counting pass and refuses what does not fit.
TEST_F(ListFiles, NameTableRefusesNamesBeyondItsRoom) {
  NameTable table({2, 5});  // room for "ab" and "c" with their terminators
  EXPECT_TRUE(table.Add(L"ab", 2));
  EXPECT_FALSE(table.Add(L"cde", 3));
  EXPECT_TRUE(table.Add(L"c", 1));
  EXPECT_FALSE(table.Add(L"", 0));  // a third record
  EXPECT_EQ(std::wstring(L"ab"), table[0]);
  EXPECT_EQ(std::wstring(L"c"), table[1]);
  NameTable impossible({1, SIZE_MAX});
  EXPECT_FALSE(impossible.IsAllocated());
}

// The file served by a fake platform changes between the counting and the
// reading pass: version k is what the k-th open sees; past the last version
// the file is gone.
struct ChangingFile {
  static inline std::vector<std::string> versions;
  static inline std::size_t opens = 0;
  struct Open {
    std::string bytes;
    std::size_t position = 0;
  };
  static void Serve(std::vector<std::string> v) {
    versions = std::move(v);
    opens = 0;
    platform::Calls& calls = platform::Current();
    calls.openForReading = [](const wchar_t*) -> void* {
      if (opens >= versions.size()) return nullptr;
      ++FileCounter::opened;
      return new Open{versions[opens++]};
    };
    calls.readBytes = [](void* file, char* buffer, unsigned long size) -> long {
      Open* open = static_cast<Open*>(file);
      const std::size_t piece = std::min<std::size_t>(size, open->bytes.size() - open->position);
      std::memcpy(buffer, open->bytes.data() + open->position, piece);
      open->position += piece;
      return static_cast<long>(piece);
    };
    calls.closeReading = [](void* file) {
      ++FileCounter::closed;
      delete static_cast<Open*>(file);
    };
  }
};

constexpr int32_t kGeneral = static_cast<int32_t>(QUORBEL_E_GENERAL);

TEST_F(ListFiles, AListThatChangesBetweenThePassesIsRefused) {
  enum Layout { kUnits, kSized, kClusters };
  const struct {
    const char* what;
    Layout layout;
    std::vector<std::string> versions;
    int32_t code;
  } cases[] = {
      {"unchanged", kUnits, {"A\nB\n", "A\nB\n"}, 0},
      {"shrinks", kUnits, {"A\nB\nC\n", "A\n"}, kGeneral},
      {"grows", kUnits, {"A\nB\n", "A\nB\nC\n"}, kGeneral},
      {"disappears", kUnits, {"A\nB\n"}, kGeneral},
      {"names grow longer", kUnits, {"A\nB\n", "AAAA\nBBBB\n"}, kGeneral},
      {"changes after its end", kUnits, {"A\n\nC\n", "A\n\nD\nE\n"}, 0},
      {"sized, shrinks", kSized, {"A,1\nB,2\n", "A,1\n"}, kGeneral},
      {"sized, grows", kSized, {"A,1\n", "A,1\nB,2\n"}, kGeneral},
      {"sized, disappears", kSized, {"A,1\n"}, kGeneral},
      {"clusters, shrink", kClusters, {"H1,5,1\nH2,5,1\n", "H1,5,1\n"}, kGeneral},
      {"clusters, grow", kClusters, {"H1,5,1\n", "H1,5,1\nH2,5,1\n"}, kGeneral},
      {"clusters, disappear", kClusters, {"H1,5,1\n"}, kGeneral},
      {"clusters, unchanged but for what follows", kClusters, {"H1,5,1\nx\n", "H1,5,1\ny,1\n"}, 0},
  };
  for (const auto& c : cases) {
    FileCounter::opened = FileCounter::closed = 0;
    ChangingFile::Serve(c.versions);
    ListReadError e{};
    if (c.layout == kUnits) e = ReadUnitList(L"list").error;
    if (c.layout == kSized) e = ReadSizedList(L"list").error;
    if (c.layout == kClusters) {
      const int32_t count = ListFile_CountClusters(L"list");
      std::vector<ClusterEntry> clusters(static_cast<std::size_t>(count));
      e = ListFile_ReadClusters(clusters.data(), L"list", count);
    }
    EXPECT_EQ(c.code, e.code) << c.what;
    if (c.code != 0) {
      EXPECT_EQ(-1, e.line) << c.what;
    }
    EXPECT_EQ(FileCounter::opened, FileCounter::closed) << c.what;
  }
}

}  // namespace
}  // namespace quorbel::test
