// The catch-all guard of the functions that allocate or read files: any
// exception inside `work` ends it with `fallback` (QUORBEL_E_GENERAL for the
// exported calls, a count of 0 for the counting passes of the list files).
#ifndef QUORBEL_LIBRARY_EXCEPTION_GUARD_H
#define QUORBEL_LIBRARY_EXCEPTION_GUARD_H

#include "library/result_codes.h"

namespace quorbel {

template <class Work, class Result = ResultCode>
Result RunGuarded(Work&& work, Result fallback = QUORBEL_E_GENERAL) noexcept {
  try {
    return work();
  } catch (...) {
    return fallback;
  }
}

}  // namespace quorbel

#endif
