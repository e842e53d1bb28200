// See line_reader.h.
#include "listfiles/line_reader.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/platform.h"

namespace quorbel {

namespace {
constexpr std::size_t kReadSize = 65536;
}

LineReader::LineReader(const wchar_t* path) : buffer_(kReadSize) {
  if (!buffer_.IsAllocated()) throw std::bad_alloc();
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

void LineReader::Keep(const char* bytes, std::size_t size) {
  byteCount_ += size;
  const std::size_t room = kLineBytes - kept_;
  const std::size_t taken = size < room ? size : room;
  std::memcpy(line_ + kept_, bytes, taken);
  kept_ += taken;
}

bool LineReader::Next() {
  kept_ = byteCount_ = 0;
  bool any = false;
  bool lastWasCr = false;  // a CR at the end of one buffer may precede the LF of the next
  while (true) {
    if (position_ == length_ && !Fill()) break;
    any = true;
    const char* start = buffer_.data() + position_;
    const void* end = std::memchr(start, '\n', length_ - position_);
    const std::size_t size = end == nullptr ? length_ - position_ : static_cast<const char*>(end) - start;
    if (size > 0) lastWasCr = start[size - 1] == '\r';
    Keep(start, size);
    position_ += size;
    if (end != nullptr) {
      ++position_;
      if (lastWasCr) {
        --byteCount_;
        if (kept_ == byteCount_ + 1) --kept_;  // the CR was kept: drop it
      }
      break;
    }
  }
  line_[kept_] = '\0';
  return any;
}

std::size_t LineReader::Convert(wchar_t* out) const {
  const std::size_t written = platform::Current().multibyteToWide(out, line_, kLineCapacity - 1);
  const std::size_t length = written == platform::kConversionFailed ? 0 : written;
  out[length] = L'\0';
  return length;
}

bool LineReader::NextConverted(wchar_t* out) {
  if (!Next()) return false;
  Convert(out);
  return true;
}

}  // namespace quorbel
