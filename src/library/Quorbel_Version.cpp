// Quorbel_Version: the version of the loaded native library. The Windows
// DLLs do not export it; their export tables are fixed. See quorbel.h.
#ifndef _WIN32

#include "quorbel.h"

extern "C" const char* Quorbel_Version(void) { return QUORBEL_VERSION; }

#endif
