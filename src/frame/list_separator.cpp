// See list_separator.h.
#include "frame/list_separator.h"

#include <cwchar>

#include "platform/platform.h"

namespace quorbel {
namespace {
wchar_t g_listSeparator[kListSeparatorCapacity];
}

const wchar_t* ListSeparator() { return g_listSeparator; }

void ChooseListSeparator(unsigned primaryLanguage) {
  const wchar_t* chosen = primaryLanguage == kLanguageSpanish ? L";" : L",";
  std::wcsncpy(g_listSeparator, chosen, kListSeparatorCapacity);
}

void InitListSeparator() { ChooseListSeparator(platform::Current().userPrimaryLanguage()); }

}  // namespace quorbel
