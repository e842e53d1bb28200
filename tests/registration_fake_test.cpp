// The steps of self-registration against a fake registry that fails each
// step in turn and records what was created, set, closed and deleted.
#include <string>
#include <vector>

#include "library/registration.h"
#include "platform/platform.h"
#include "support.h"

namespace quorbel::test {
namespace {

struct Fake {
  int failAt = 0;  // the step call (1-based) that fails; 0: none
  int step = 0;
  int nextKey = 1;
  std::vector<std::string> log;

  bool Fails(std::string entry) {
    const bool fails = ++step == failAt;
    log.push_back(entry + (fails ? " FAIL" : ""));
    return fails;
  }
};
Fake* g_fake = nullptr;

std::string Narrow(const wchar_t* text) { return std::string(text, text + std::wcslen(text)); }
std::string KeyName(void* key) { return key == nullptr ? "root" : std::to_string(reinterpret_cast<intptr_t>(key)); }

const wchar_t kPath[] = L"C:\\farm\\Quorbel.dll";

void InstallFake(Fake& fake) {
  g_fake = &fake;
  platform::Calls& calls = platform::Current();
  calls.registryCreateKey = [](void* parent, const wchar_t* subkey, void** key) -> long {
    *key = nullptr;
    if (g_fake->Fails("create " + KeyName(parent) + " " + Narrow(subkey))) return 5;
    *key = reinterpret_cast<void*>(static_cast<intptr_t>(g_fake->nextKey++));
    return 0;
  };
  calls.registrySetDefault = [](void* key, const wchar_t* text, unsigned long bytes) -> long {
    return g_fake->Fails("set " + KeyName(key) + " " + Narrow(text) + " " + std::to_string(bytes)) ? 5 : 0;
  };
  calls.registryCloseKey = [](void* key) -> long {
    g_fake->log.push_back("close " + KeyName(key));
    return 0;
  };
  calls.registryDeleteKey = [](const wchar_t* subkey) -> long {
    return g_fake->Fails("delete " + Narrow(subkey)) ? 5 : 0;
  };
  calls.moduleHandle = [](const wchar_t* name) -> void* {
    return g_fake->Fails("module " + Narrow(name)) ? nullptr : reinterpret_cast<void*>(0x40);
  };
  calls.moduleFileName = [](void*, wchar_t* path, unsigned long capacity) -> unsigned long {
    if (g_fake->Fails("filename " + std::to_string(capacity))) return 0;
    std::wcscpy(path, kPath);
    return static_cast<unsigned long>(std::wcslen(kPath));
  };
}

struct RegistrationFake : ::testing::Test {
  void TearDown() override { platform::Current() = platform::Defaults(); }
};

const std::string kClass = "CLSID\\{5E0C2A91-7B44-4D3F-A1C8-92F07D6B3E15}";

struct StepCase {
  int failAt;
  std::vector<std::string> log;
};

const std::vector<StepCase> kRegisterSteps = {
    {1, {"create root " + kClass + " FAIL"}},
    {2, {"create root " + kClass, "set 1 Quorbel Server 30 FAIL", "close 1"}},
    {3, {"create root " + kClass, "set 1 Quorbel Server 30", "create 1 InprocServer32 FAIL", "close 1"}},
    {4, {"create root " + kClass, "set 1 Quorbel Server 30", "create 1 InprocServer32", "module Quorbel.dll FAIL",
         "close 2", "close 1"}},
    {5, {"create root " + kClass, "set 1 Quorbel Server 30", "create 1 InprocServer32", "module Quorbel.dll",
         "filename 261 FAIL", "close 2", "close 1"}},
    {6, {"create root " + kClass, "set 1 Quorbel Server 30", "create 1 InprocServer32", "module Quorbel.dll",
         "filename 261", "set 2 C:\\farm\\Quorbel.dll 40 FAIL", "close 2", "close 1"}},
};

TEST_F(RegistrationFake, EachFailingStepClosesExactlyTheOpenKeys) {
  for (const StepCase& c : kRegisterSteps) {
    Fake fake;
    fake.failAt = c.failAt;
    InstallFake(fake);
    EXPECT_EQ(QUORBEL_E_UNEXPECTED, DllRegisterServer()) << "step " << c.failAt;
    EXPECT_EQ(c.log, fake.log) << "step " << c.failAt;
  }
}

TEST_F(RegistrationFake, SuccessWritesTwoDefaultsAndClosesBothKeys) {
  Fake fake;
  InstallFake(fake);
  EXPECT_EQ(0, DllRegisterServer());
  const std::vector<std::string> expected = {"create root " + kClass, "set 1 Quorbel Server 30",
                                             "create 1 InprocServer32", "module Quorbel.dll", "filename 261",
                                             "set 2 C:\\farm\\Quorbel.dll 40", "close 2", "close 1"};
  EXPECT_EQ(expected, fake.log);
}

TEST_F(RegistrationFake, UnregistrationDeletesSubkeyThenClassKey) {
  const std::string server = kClass + "\\InprocServer32";
  const StepCase cases[] = {{1, {"delete " + server + " FAIL"}},
                            {2, {"delete " + server, "delete " + kClass + " FAIL"}},
                            {0, {"delete " + server, "delete " + kClass}}};
  for (const StepCase& c : cases) {
    Fake fake;
    fake.failAt = c.failAt;
    InstallFake(fake);
    EXPECT_EQ(c.failAt == 0 ? 0 : QUORBEL_E_UNEXPECTED, DllUnregisterServer()) << "step " << c.failAt;
    EXPECT_EQ(c.log, fake.log) << "step " << c.failAt;
  }
}

}  // namespace
}  // namespace quorbel::test
