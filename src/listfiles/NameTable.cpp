// NameTable: the compact store of a list's names. See list_file.h.
#include <cwchar>

#include "listfiles/list_file.h"

namespace quorbel {

NameTable::NameTable(const ListSize& size)
    : pool_(size.characters),
      starts_(static_cast<std::size_t>(size.records)),
      capacity_(size.characters),
      records_(size.records) {}

bool NameTable::Add(const wchar_t* name, std::size_t length) {
  if (added_ == records_ || capacity_ - used_ < length + 1) return false;
  starts_[static_cast<std::size_t>(added_++)] = used_;
  std::wmemcpy(pool_.data() + used_, name, length);
  pool_[used_ + length] = L'\0';
  used_ += length + 1;
  return true;
}

}  // namespace quorbel
