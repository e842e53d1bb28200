// The registration entries. quorbel.h declares them for Windows, where they
// are exported; elsewhere they are built only to be tested against a fake
// registry, and declared here.
#ifndef QUORBEL_LIBRARY_REGISTRATION_H
#define QUORBEL_LIBRARY_REGISTRATION_H

#include "quorbel.h"

#ifndef _WIN32
extern "C" int32_t DllRegisterServer(void);
extern "C" int32_t DllUnregisterServer(void);
#endif

#endif
