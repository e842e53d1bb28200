// The load-time list separator, the platform table and the narrow paths.
#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <new>
#include <string>

#include "library/exception_guard.h"
#include "library/list_separator.h"
#include "library/narrow_path.h"
#include "platform/platform.h"
#include "support.h"

namespace quorbel::test {
namespace {

void ExpectSeparatorBuffer(wchar_t separator) {
  const wchar_t* buffer = ListSeparator();
  EXPECT_EQ(separator, buffer[0]);
  for (int i = 1; i < kListSeparatorCapacity; ++i) EXPECT_EQ(L'\0', buffer[i]) << "index " << i;
}

struct LocaleCase {
  unsigned lcid;
  wchar_t separator;
};

const LocaleCase kLocales[] = {
    {0x040A, L';'},  // Spanish, traditional sort
    {0x080A, L';'},  // Spanish, Mexico
    {0x0C0A, L';'},  // Spanish, modern sort
    {0x0403, L','},  // Catalan
    {0x0416, L','},  // Portuguese, Brazil
    {0x0409, L','},  // English, United States
    {0x0000, L','},  // neutral
};

TEST(ListSeparator, SpanishOfAnyCountrySelectsSemicolon) {
  for (const LocaleCase& c : kLocales) {
    ChooseListSeparator(c.lcid & 0x3FF);
    ExpectSeparatorBuffer(c.separator);
  }
}

TEST(ListSeparator, InitialisationAsksThePlatform) {
  platform::Calls& calls = platform::Current();
  calls.userPrimaryLanguage = [] { return 10u; };
  InitListSeparator();
  ExpectSeparatorBuffer(L';');
  calls.userPrimaryLanguage = [] { return 9u; };
  InitListSeparator();
  ExpectSeparatorBuffer(L',');
  calls = platform::Defaults();
}

// Run by CTest under a Spanish and an English user locale (natively through
// the environment, under Wine through the locale Wine reports).
TEST(UserLocale, SeparatorFollowsTheUserLocale) {
  const char* expected = std::getenv("QUORBEL_EXPECT_SEPARATOR");
  if (expected == nullptr) GTEST_SKIP() << "run by CTest with a chosen locale";
  InitListSeparator();
  ExpectSeparatorBuffer(std::string(expected) == "semicolon" ? L';' : L',');
}

#ifndef _WIN32
struct EnvironmentCase {
  const char* lcAll;
  const char* lcCtype;
  const char* lang;
  unsigned language;
};

const EnvironmentCase kEnvironments[] = {
    {"es_ES.UTF-8", "en_US.UTF-8", "en_US.UTF-8", 10},  // LC_ALL first
    {"", "es_MX.UTF-8", "en_US.UTF-8", 10},             // an empty value is skipped
    {nullptr, "en_GB", "es_ES", 9},                     // LC_CTYPE before LANG
    {nullptr, nullptr, "es", 10},
    {nullptr, nullptr, "es@euro", 10},
    {nullptr, nullptr, "est_EE.UTF-8", 0},  // Estonian is not Spanish
    {nullptr, nullptr, "C.UTF-8", 0},
    {nullptr, nullptr, nullptr, 0},
};

void SetOrUnset(const char* name, const char* value) {
  if (value == nullptr)
    unsetenv(name);
  else
    setenv(name, value, 1);
}

TEST(UserLocaleEnvironment, LcAllThenLcCtypeThenLang) {
  const std::string saved[3] = {std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "",
                                std::getenv("LC_CTYPE") ? std::getenv("LC_CTYPE") : "",
                                std::getenv("LANG") ? std::getenv("LANG") : ""};
  for (const EnvironmentCase& c : kEnvironments) {
    SetOrUnset("LC_ALL", c.lcAll);
    SetOrUnset("LC_CTYPE", c.lcCtype);
    SetOrUnset("LANG", c.lang);
    EXPECT_EQ(c.language, platform::Defaults().userPrimaryLanguage())
        << (c.lang ? c.lang : "(no LANG)");
  }
  setenv("LC_ALL", saved[0].c_str(), 1);
  setenv("LC_CTYPE", saved[1].c_str(), 1);
  setenv("LANG", saved[2].c_str(), 1);
}
#endif

TEST(NarrowPath, ConvertsAndZeroFills) {
  std::setlocale(LC_ALL, "C");
  const WidePath path = WidenPath("C:\\survey\\units.txt");
  EXPECT_EQ(std::wstring(L"C:\\survey\\units.txt"), path.text);
  for (int i = 20; i < kPathCapacity; ++i) ASSERT_EQ(L'\0', path.text[i]) << i;
}

TEST(NarrowPath, CLocaleConvertsEveryByteToItsOwnValue) {
  std::setlocale(LC_ALL, "C");
  const WidePath path = WidenPath("caf\xE9\xFF.txt");
  EXPECT_EQ(std::wstring(L"caf\u00E9\u00FF.txt"), path.text);
}

TEST(NarrowPath, OverlongPathIsCutAndStaysTerminated) {
  std::setlocale(LC_ALL, "C");
  const std::string longPath(300, 'a');
  const WidePath path = WidenPath(longPath.c_str());
  EXPECT_EQ(static_cast<size_t>(kPathCapacity - 1), std::wcslen(path.text));
}

TEST(NarrowPath, StopsAtTheFirstSequenceThatDoesNotConvert) {
  if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr) GTEST_SKIP() << "no UTF-8 locale in this runtime";
  const WidePath path = WidenPath("ab\xC3\xA9" "c\xFF" "def");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(std::wstring(L"ab\u00E9c"), path.text);
}

}  // namespace
}  // namespace quorbel::test

namespace quorbel::test {
namespace {

// The catch-all guard turns any exception into the general failure and keeps
// what the work wrote before it threw.
TEST(ExceptionGuard, AnyExceptionIsTheGeneralFailureAndEarlierWritesStay) {
  int written = 0;
  EXPECT_EQ(QUORBEL_E_GENERAL, RunGuarded([&]() -> ResultCode {
              written = 1;
              throw std::bad_alloc();
            }));
  EXPECT_EQ(1, written);
  EXPECT_EQ(QUORBEL_E_GENERAL, RunGuarded([]() -> ResultCode { throw 42; }));
  EXPECT_EQ(QUORBEL_E_LIST_EMPTY, RunGuarded([] { return QUORBEL_E_LIST_EMPTY; }));
}

}  // namespace
}  // namespace quorbel::test
