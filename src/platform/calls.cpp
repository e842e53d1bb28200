// The table of platform calls in force, initialised from the build's defaults.
#include "platform/platform.h"

namespace quorbel::platform {

Calls& Current() {
  static Calls calls = Defaults();
  return calls;
}

}  // namespace quorbel::platform
