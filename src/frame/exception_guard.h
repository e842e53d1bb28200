// The catch-all guard of the functions that allocate or read files: any
// exception inside `work` ends the call with QUORBEL_E_GENERAL.
#ifndef QUORBEL_FRAME_EXCEPTION_GUARD_H
#define QUORBEL_FRAME_EXCEPTION_GUARD_H

#include "frame/result_codes.h"

namespace quorbel {

template <class Work>
ResultCode RunGuarded(Work&& work) noexcept {
  try {
    return work();
  } catch (...) {
    return QUORBEL_E_GENERAL;
  }
}

}  // namespace quorbel

#endif
