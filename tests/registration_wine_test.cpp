// Self-registration against the real registry (Windows, or Wine), through
// the decorated exports of the DLL under test.
#ifdef _WIN32

#include <windows.h>

#include <cstdlib>
#include <string>

#include "support.h"

namespace quorbel::test {
namespace {

const wchar_t kClassKey[] = L"CLSID\\{5E0C2A91-7B44-4D3F-A1C8-92F07D6B3E15}";
const wchar_t kServerKey[] = L"CLSID\\{5E0C2A91-7B44-4D3F-A1C8-92F07D6B3E15}\\InprocServer32";
const wchar_t kExtraKey[] = L"CLSID\\{5E0C2A91-7B44-4D3F-A1C8-92F07D6B3E15}\\InprocServer32\\Extra";

void RemoveKeys() {
  RegDeleteKeyW(HKEY_CLASSES_ROOT, kExtraKey);
  RegDeleteKeyW(HKEY_CLASSES_ROOT, kServerKey);
  RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey);
}

bool KeyExists(const wchar_t* path) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

struct KeyContents {
  bool found = false;
  DWORD type = 0, bytes = 0, values = 0, subkeys = 0;
  std::wstring text;
};

KeyContents ReadKey(const wchar_t* path) {
  KeyContents contents;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return contents;
  contents.found = true;
  wchar_t text[600] = {};
  DWORD bytes = sizeof text;
  if (RegQueryValueExW(key, L"", nullptr, &contents.type, reinterpret_cast<BYTE*>(text), &bytes) == ERROR_SUCCESS) {
    contents.bytes = bytes;
    contents.text = text;
  }
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &contents.subkeys, nullptr, nullptr, &contents.values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return contents;
}

std::wstring LoadedLibraryPath() {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(GetModuleHandleW(L"Quorbel.dll"), path, MAX_PATH + 1);
  return path;
}

struct Registry : ::testing::Test {
  void SetUp() override { RemoveKeys(); }
  void TearDown() override { RemoveKeys(); }
};

TEST_F(Registry, RegisterWritesTheTwoDefaultValues) {
  ASSERT_EQ(0, Lib().DllRegisterServer());
  const KeyContents classKey = ReadKey(kClassKey);
  ASSERT_TRUE(classKey.found);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), classKey.type);
  EXPECT_EQ(30u, classKey.bytes);
  EXPECT_EQ(L"Quorbel Server", classKey.text);
  EXPECT_EQ(1u, classKey.values);
  EXPECT_EQ(1u, classKey.subkeys);

  const KeyContents server = ReadKey(kServerKey);
  ASSERT_TRUE(server.found);
  const std::wstring path = LoadedLibraryPath();
  EXPECT_EQ(path, server.text);
  EXPECT_EQ(path.size() * 2 + 2, server.bytes);
  EXPECT_EQ(1u, server.values);  // no threading model, no program identifier
  EXPECT_EQ(0u, server.subkeys);
}

TEST_F(Registry, RegisterTwiceThenUnregisterTwice) {
  ASSERT_EQ(0, Lib().DllRegisterServer());
  ASSERT_EQ(0, Lib().DllRegisterServer());
  EXPECT_EQ(1u, ReadKey(kClassKey).subkeys);
  EXPECT_EQ(0, Lib().DllUnregisterServer());
  EXPECT_FALSE(KeyExists(kClassKey));
  EXPECT_EQ(QUORBEL_E_UNEXPECTED, Lib().DllUnregisterServer());
}

TEST_F(Registry, ASubkeyBelowTheServerKeyBlocksUnregistration) {
  ASSERT_EQ(0, Lib().DllRegisterServer());
  HKEY extra;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, kExtraKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                           &extra, nullptr));
  RegCloseKey(extra);
  EXPECT_EQ(QUORBEL_E_UNEXPECTED, Lib().DllUnregisterServer());
  EXPECT_TRUE(KeyExists(kClassKey));
}

// Run by CTest in a process of its own, where Quorbel.dll itself is never
// loaded: a copy under another name cannot find "Quorbel.dll" and leaves the
// class key with its value and an empty subkey.
TEST(RegistryCopy, ACopyUnderAnotherNameIsNotFound) {
  if (std::getenv("QUORBEL_ISOLATED_REGISTRATION") == nullptr) GTEST_SKIP() << "run by CTest in its own process";
  RemoveKeys();
  ASSERT_TRUE(CopyFileW(L"Quorbel.dll", L"QuorbelCopy.dll", FALSE));
  HMODULE copy = LoadLibraryW(L"QuorbelCopy.dll");
  ASSERT_NE(nullptr, copy);
  ASSERT_EQ(nullptr, GetModuleHandleW(L"Quorbel.dll"));
  auto registerServer = reinterpret_cast<int32_t(__stdcall*)()>(
      reinterpret_cast<void*>(GetProcAddress(copy, "_DllRegisterServer@0")));
  ASSERT_NE(nullptr, registerServer);
  EXPECT_EQ(QUORBEL_E_UNEXPECTED, registerServer());
  const KeyContents classKey = ReadKey(kClassKey);
  EXPECT_EQ(L"Quorbel Server", classKey.text);
  const KeyContents server = ReadKey(kServerKey);
  EXPECT_TRUE(server.found);
  EXPECT_EQ(0u, server.values);
  RemoveKeys();
  FreeLibrary(copy);
  DeleteFileW(L"QuorbelCopy.dll");
}

}  // namespace
}  // namespace quorbel::test

#endif
