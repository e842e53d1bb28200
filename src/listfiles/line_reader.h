// Reads a list file line by line through the platform layer: a line ends at
// LF, and a CR just before the LF is dropped. The file is closed when the
// reader goes out of scope, on every path.
#ifndef QUORBEL_LISTFILES_LINE_READER_H
#define QUORBEL_LISTFILES_LINE_READER_H

#include <string>
#include <vector>

#include "listfiles/list_file.h"

namespace quorbel {

class LineReader {
 public:
  explicit LineReader(const wchar_t* path);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  bool IsOpen() const { return file_ != nullptr; }

  // The next line's bytes; false at the end of the file. Throws when the
  // file cannot be read.
  bool Next(std::string* line);

  // The next line converted into `out` (kLineCapacity characters, at most
  // 254 used, terminated); a line that does not convert comes out empty.
  bool NextConverted(wchar_t* out);

 private:
  bool Fill();
  void* file_;
  std::vector<char> buffer_;
  std::size_t position_ = 0, length_ = 0;
  std::string line_;
};

// Converts a line's bytes into a terminated line buffer (see NextConverted).
void ConvertLine(const std::string& bytes, wchar_t* out);

}  // namespace quorbel

#endif
