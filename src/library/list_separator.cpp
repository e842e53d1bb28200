// See list_separator.h.
#include "library/list_separator.h"

#include <cwchar>

#include "platform/platform.h"

namespace quorbel {
namespace {
wchar_t g_listSeparator[kListSeparatorCapacity];
}

const wchar_t* ListSeparator() { return g_listSeparator; }

void ChooseListSeparator(unsigned primaryLanguage) {
  std::wmemset(g_listSeparator, L'\0', kListSeparatorCapacity);
  g_listSeparator[0] = ListSeparatorFor(primaryLanguage);
}

void InitListSeparator() { ChooseListSeparator(platform::Current().userPrimaryLanguage()); }

}  // namespace quorbel
