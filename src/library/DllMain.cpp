// The library's entry point. On Windows the loader calls DllMain; only process
// attach does anything, and loading never fails. The native build makes the
// same choice once when the shared library is loaded.
#include "library/list_separator.h"

#ifdef _WIN32

extern "C" int __stdcall DllMain(void* /*instance*/, unsigned long reason, void* /*reserved*/) {
  constexpr unsigned long kProcessAttach = 1;
  if (reason == kProcessAttach) quorbel::InitListSeparator();
  return 1;
}

#else

__attribute__((constructor)) static void QuorbelOnLoad() { quorbel::InitListSeparator(); }

#endif
