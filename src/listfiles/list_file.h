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
//  - Field k is the k-th run of characters other than the separator; the
//    field count is one more than the separators, not counting one that
//    opens the line. Integer fields read as _wtoi reads them (white space,
//    sign, digits; no digits is 0), saturating beyond the 32-bit range.
#ifndef QUORBEL_LISTFILES_LIST_FILE_H
#define QUORBEL_LISTFILES_LIST_FILE_H

#include <cstddef>
#include <cstdint>

#include "frame/result_codes.h"

namespace quorbel {

constexpr int kLineCapacity = 255;  // a converted line, terminator included
constexpr int kUnitNameCapacity = 255;
constexpr int kRecordNameCapacity = 256;

// The unit name slot of a unit list.
struct UnitNameSlot {
  wchar_t name[kUnitNameCapacity];
};

struct SizedUnit {
  wchar_t name[kRecordNameCapacity];
  int32_t size;
  int32_t cumulativeSize;  // size of this record and every one before it
  int32_t timesSelected;   // 0 from the reader
};

struct ClusterEntry {
  wchar_t name[kRecordNameCapacity];
  int32_t firstCount;   // field 2: animals examined
  int32_t secondCount;  // field 3: positives
};

// The outcome of a read: code 0, or the first fault with its 1-based line
// and field (-1 where there is none).
struct ListReadError {
  int32_t code;
  int32_t line;
  int32_t field;
};

static_assert(sizeof(UnitNameSlot) == kUnitNameCapacity * sizeof(wchar_t), "a slot is its name");
static_assert(offsetof(SizedUnit, size) == kRecordNameCapacity * sizeof(wchar_t), "size follows the name");
static_assert(sizeof(SizedUnit) == offsetof(SizedUnit, size) + 12, "three ints follow the name");
static_assert(sizeof(ClusterEntry) == offsetof(ClusterEntry, firstCount) + 8, "two ints follow the name");
static_assert(sizeof(ListReadError) == 12, "three ints");

// Records of a unit list or a sized unit list: lines before the first empty
// one; 0 when the file cannot be opened or read.
int32_t ListFile_CountUnits(const wchar_t* path);

// Records of a cluster list: lines before the first of fewer than three
// fields; 0 when the file cannot be opened or read.
int32_t ListFile_CountClusters(const wchar_t* path);

// Fill `count` records from the top of the file. Faults: a line that
// converts to nothing (units: 0x60000027, field 1); a sized line of other
// than two fields (0x6000002B, that line, field -1), a missing name or size
// (field 1 or 2), or a size that takes the running total beyond the 32-bit
// range (field 2); a missing cluster field (0x60000012, field 1 to 3); an
// exception while reading (0x60000000, line and field -1).
ListReadError ListFile_ReadUnits(UnitNameSlot* units, const wchar_t* path, int32_t count);
ListReadError ListFile_ReadSizedUnits(SizedUnit* units, const wchar_t* path, int32_t count);
ListReadError ListFile_ReadClusters(ClusterEntry* clusters, const wchar_t* path, int32_t count);

// Copies field k (from 1) of a converted line into `out` (255 characters);
// false, with `out` untouched, when the line has fewer fields.
bool ListFile_GetField(const wchar_t* line, int k, wchar_t* out);

// The field count of a converted line (see above).
int ListFile_FieldCount(const wchar_t* line);

// An integer field as _wtoi reads it, saturating at the 32-bit limits.
int32_t ListFile_FieldToInt(const wchar_t* field);

// Result files: CR LF lines of narrow text, the file created (or emptied)
// only here, with no sharing while open. Names are converted in the current
// locale to at most 252 bytes, cut at the last whole character that fits; a
// character with no bytes in the locale is written as '?'. Returns 0, the
// system's error code when the file cannot be created, or 1 when a write
// fails (the lines before it stay written).
unsigned long ResultFile_WriteUnits(const UnitNameSlot* units, const wchar_t* path, int32_t count);
unsigned long ResultFile_WriteSizedUnits(const SizedUnit* units, const wchar_t* path, int32_t count);

}  // namespace quorbel

#endif
