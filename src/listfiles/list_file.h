// List files: the text formats in which sampling frames are read. A unit
// list holds a unit name per line, a sized unit list "name,size", a cluster
// list "name,animals,positives"; fields are split at the list separator
// chosen at load (";" under a Spanish user locale, "," otherwise).
//
// Each layout has a counting operation, run first to learn how many records
// to allocate, and a reading operation that fills the caller's array.
//  - A line ends at LF; a CR just before the LF is not part of it.
//  - A line is converted to wide characters in the current locale and cut
//    to 254 characters; a line that does not convert becomes empty.
//  - A unit list (sized or not) ends at its first empty line, a cluster list
//    at its first line of fewer than three fields; files that cannot be
//    opened count no records.
//  - The reading pass expects the file the counting pass saw: a list that
//    cannot be opened again, ends before the counted lines, or goes on where
//    the count stopped is refused with 0x60000000 (line and field -1), and
//    so is a name longer than the count measured.
//  - Names are stored compactly (NameTable): one pool of characters sized by
//    the counting pass, and where each name starts.
//  - Field k is the k-th run of characters other than the separator; the
//    field count is one more than the separators, not counting one that
//    opens the line. Integer fields read as _wtoi reads them (white space,
//    sign, digits; no digits is 0), saturating beyond the 32-bit range.
#ifndef QUORBEL_LISTFILES_LIST_FILE_H
#define QUORBEL_LISTFILES_LIST_FILE_H

#include <cstddef>
#include <cstdint>

#include "library/result_codes.h"
#include "library/working_array.h"

namespace quorbel {

constexpr int kLineCapacity = 255;  // a converted line, terminator included

// How much a unit list holds: its records, and an upper bound on the
// characters of their names with terminators (a line of b bytes converts to
// at most min(b, 254) characters). The bound saturates at SIZE_MAX, which no
// allocation can meet.
struct ListSize {
  int32_t records;
  std::size_t characters;
};

// The names of a list's records, in record order: every name, terminated,
// one after another in one pool, and where each starts. Both arrays are taken
// through the platform layer and sized from a ListSize, so a name that does
// not fit shows that the file grew since it was measured.
class NameTable {
 public:
  explicit NameTable(const ListSize& size);
  bool IsAllocated() const { return pool_.IsAllocated() && starts_.IsAllocated(); }
  // Appends a name of `length` characters; false when the table is full.
  bool Add(const wchar_t* name, std::size_t length);
  const wchar_t* operator[](int32_t i) const { return pool_.data() + starts_[static_cast<std::size_t>(i)]; }

 private:
  WorkingArray<wchar_t> pool_;
  WorkingArray<std::size_t> starts_;
  std::size_t capacity_, used_ = 0;
  int32_t records_, added_ = 0;
};

// A record of a sized unit list; its name is the same record of a NameTable.
struct SizedUnit {
  int32_t size;
  int32_t cumulativeSize;  // size of this record and every one before it
  int32_t timesSelected;   // 0 from the reader
};

// A record of a cluster list. Only whether the name is blank matters later,
// so the name itself is not kept.
struct ClusterEntry {
  int32_t firstCount;   // field 2: animals examined
  int32_t secondCount;  // field 3: positives
  bool blankName;       // field 1 is empty once trailing spaces (U+0020) are removed
};

// The outcome of a read: code 0, or the first fault with its 1-based line
// and field (-1 where there is none).
struct ListReadError {
  int32_t code;
  int32_t line;
  int32_t field;
};

static_assert(sizeof(SizedUnit) == 12, "three ints, no name slot");
static_assert(sizeof(ListReadError) == 12, "three ints");

// Records of a unit list or a sized unit list (lines before the first empty
// one) and the room their names need; no records when the file cannot be
// opened or read.
ListSize ListFile_MeasureUnits(const wchar_t* path);
int32_t ListFile_CountUnits(const wchar_t* path);

// Records of a cluster list: lines before the first of fewer than three
// fields; 0 when the file cannot be opened or read.
int32_t ListFile_CountClusters(const wchar_t* path);

// Fill `count` records from the top of the file. Faults: a line that
// converts to nothing (units: 0x60000027, field 1); a sized line of other
// than two fields (0x6000002B, that line, field -1), a missing name or size
// (field 1 or 2), or a size that takes the running total beyond the 32-bit
// range (field 2); a missing cluster field (0x60000012, field 1 to 3); a file
// that changed since it was counted, or an exception while reading
// (0x60000000, line and field -1).
ListReadError ListFile_ReadUnits(NameTable& names, const wchar_t* path, int32_t count);
ListReadError ListFile_ReadSizedUnits(NameTable& names, SizedUnit* units, const wchar_t* path, int32_t count);
ListReadError ListFile_ReadClusters(ClusterEntry* clusters, const wchar_t* path, int32_t count);

// Copies field k (from 1) of a converted line into `out` (255 characters);
// false, with `out` untouched, when the line has fewer fields.
bool ListFile_GetField(const wchar_t* line, int k, wchar_t* out);

// The field count of a converted line (see above).
int ListFile_FieldCount(const wchar_t* line);

// An integer field as _wtoi reads it, saturating at the 32-bit limits.
int32_t ListFile_FieldToInt(const wchar_t* field);
// Whether ListFile_FieldToInt takes all of the field: white space, a sign,
// at least one digit and white space; otherwise it drops the rest, and a
// field without digits reads as 0.
bool ListFile_FieldIsWhole(const wchar_t* field);

// Result files: CR LF lines of narrow text, the file created (or emptied)
// only here, with no sharing while open. Names are converted in the current
// locale to at most 252 bytes, cut at the last whole character that fits; a
// character with no bytes in the locale is written as '?'. Returns 0, the
// system's error code when the file cannot be created, or 1 when a write
// fails (the lines before it stay written).
//  - WriteUnits writes names[chosen[0]], names[chosen[1]], ... (count lines);
//  - WriteSizedUnits writes "name,timesSelected" of the records listed in
//    `selected` (count lines).
unsigned long ResultFile_WriteUnits(const NameTable& names, const int32_t* chosen, const wchar_t* path,
                                    int32_t count);
unsigned long ResultFile_WriteSizedUnits(const NameTable& names, const SizedUnit* units, const int32_t* selected,
                                         const wchar_t* path, int32_t count);

}  // namespace quorbel

#endif
