// See line_reader.h.
#include "listfiles/line_reader.h"

#include <cstring>
#include <stdexcept>

#include "platform/platform.h"

namespace quorbel {

namespace {
constexpr std::size_t kReadSize = 65536;
}

LineReader::LineReader(const wchar_t* path) : file_(nullptr), buffer_(kReadSize) {
  file_ = platform::Current().openForReading(path);
}

LineReader::~LineReader() {
  if (file_ != nullptr) platform::Current().closeReading(file_);
}

bool LineReader::Fill() {
  const long got = platform::Current().readBytes(file_, buffer_.data(), kReadSize);
  if (got < 0) throw std::runtime_error("the list file cannot be read");
  position_ = 0;
  length_ = static_cast<std::size_t>(got);
  return got > 0;
}

bool LineReader::Next(std::string* line) {
  line->clear();
  bool any = false;
  while (true) {
    if (position_ == length_ && !Fill()) return any;
    any = true;
    const char* start = buffer_.data() + position_;
    const void* end = std::memchr(start, '\n', length_ - position_);
    if (end == nullptr) {
      line->append(start, length_ - position_);
      position_ = length_;
      continue;
    }
    const std::size_t size = static_cast<const char*>(end) - start;
    line->append(start, size);
    position_ += size + 1;
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return true;
  }
}

bool LineReader::NextConverted(wchar_t* out) {
  if (!Next(&line_)) return false;
  ConvertLine(line_, out);
  return true;
}

void ConvertLine(const std::string& bytes, wchar_t* out) {
  const std::size_t written = platform::Current().multibyteToWide(out, bytes.c_str(), kLineCapacity - 1);
  out[written == platform::kConversionFailed ? 0 : written] = L'\0';
}

}  // namespace quorbel
