// The operating system's side of the platform layer: win32.cpp and posix.cpp
// each define these functions for their build, and calls.cpp gathers them
// into the default table. Their contracts are those of the table entries in
// platform.h.
#ifndef QUORBEL_PLATFORM_OS_H
#define QUORBEL_PLATFORM_OS_H

#include "platform/platform.h"

namespace quorbel::platform::os {

unsigned UserPrimaryLanguage();
std::size_t MultibyteToWide(wchar_t* out, const char* in, std::size_t capacity);
int WideToMultibyte(wchar_t c, char* out);
bool FileExists(const wchar_t* path);
void* OpenForReading(const wchar_t* path);
long ReadBytes(void* file, char* buffer, unsigned long size);
void* CreateForWriting(const wchar_t* path, unsigned long* error);
bool WriteBytes(void* file, const char* bytes, unsigned long size);
void CloseFile(void* file);
void ShowMessage(const wchar_t* text, const wchar_t* caption);
int Random();
void* Allocate(std::size_t bytes);
void Release(void* memory);
long RegistryCreateKey(void* parent, const wchar_t* subkey, void** key);
long RegistrySetDefault(void* key, const wchar_t* text, unsigned long bytes);
long RegistryCloseKey(void* key);
long RegistryDeleteKey(const wchar_t* subkey);
void* ModuleHandle(const wchar_t* name);
unsigned long ModuleFileName(void* module, wchar_t* path, unsigned long capacity);
int WideLength(const wchar_t* text);

#ifndef _WIN32
// Seeds this thread's generator (the Windows runtime's srand); the native
// library exports it as Selection_SeedRandom.
void SeedRandom(unsigned seed);
#endif

}  // namespace quorbel::platform::os

#endif
