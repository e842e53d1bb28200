// Reads a list file line by line through the platform layer: a line ends at
// LF, and a CR just before the LF is dropped. The file is closed when the
// reader goes out of scope, on every path.
//
// Only a line's first kLineBytes bytes are kept: at most 254 characters of a
// line are ever used, and no locale needs more than MB_LEN_MAX (16) bytes a
// character, so the kept bytes convert exactly as the whole line would. The
// read buffer is the reader's one allocation, taken through the platform
// layer; nothing is allocated per line.
#ifndef QUORBEL_LISTFILES_LINE_READER_H
#define QUORBEL_LISTFILES_LINE_READER_H

#include <cstddef>

#include "library/working_array.h"
#include "listfiles/list_file.h"

namespace quorbel {

constexpr std::size_t kLineBytes = (kLineCapacity - 1) * 16;

class LineReader {
 public:
  // Throws std::bad_alloc when the read buffer cannot be allocated; the file
  // is then not opened.
  explicit LineReader(const wchar_t* path);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  bool IsOpen() const { return file_ != nullptr; }

  // Moves to the next line; false at the end of the file. Throws when the
  // file cannot be read.
  bool Next();

  // The current line: whether it has no bytes at all, its byte count (the
  // whole line's, though only kLineBytes are kept), and its text converted
  // into `out` (kLineCapacity characters, at most 254 used, terminated; a
  // line that does not convert comes out empty). Returns the characters.
  bool IsEmpty() const { return byteCount_ == 0; }
  std::size_t ByteCount() const { return byteCount_; }
  std::size_t Convert(wchar_t* out) const;

  // Next() and Convert() together.
  bool NextConverted(wchar_t* out);

 private:
  bool Fill();
  void Keep(const char* bytes, std::size_t size);
  void* file_ = nullptr;
  WorkingArray<char> buffer_;
  std::size_t position_ = 0, length_ = 0;
  char line_[kLineBytes + 1];
  std::size_t kept_ = 0, byteCount_ = 0;
};

}  // namespace quorbel

#endif
