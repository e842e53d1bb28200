// See narrow_path.h.
#include "library/narrow_path.h"

#include "platform/platform.h"

namespace quorbel {

WidePath WidenPath(const char* narrow) {
  WidePath path{};
  platform::Current().multibyteToWide(path.text, narrow, kPathCapacity - 1);
  return path;
}

}  // namespace quorbel
