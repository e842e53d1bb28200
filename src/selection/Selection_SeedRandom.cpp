// Selection_SeedRandom: seeds the calling thread's generator of the native
// build, which draws the same sequence as the Windows runtime's rand. The
// Windows DLLs do not export it: there the host seeds the runtime with srand.
// See quorbel.h.
#ifndef _WIN32

#include "platform/os.h"
#include "quorbel.h"

extern "C" void Selection_SeedRandom(unsigned seed) { quorbel::platform::os::SeedRandom(seed); }

#endif
