// A working array of a call, taken through the platform layer (so tests can
// exhaust memory on purpose) and released when it goes out of scope, on
// every path.
#ifndef QUORBEL_LIBRARY_WORKING_ARRAY_H
#define QUORBEL_LIBRARY_WORKING_ARRAY_H

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace quorbel {

template <class T>
class WorkingArray {
 public:
  // An array of `count` records, or none (IsAllocated false) when memory is
  // exhausted or the size does not fit in memory's address range. An array
  // of no records takes no memory and counts as allocated.
  explicit WorkingArray(std::size_t count) : count_(count) {
    if (count == 0 || count > SIZE_MAX / sizeof(T)) return;
    data_ = static_cast<T*>(platform::Current().allocate(count * sizeof(T)));
  }
  ~WorkingArray() {
    if (data_ != nullptr) platform::Current().release(data_);
  }
  WorkingArray(const WorkingArray&) = delete;
  WorkingArray& operator=(const WorkingArray&) = delete;

  bool IsAllocated() const { return data_ != nullptr || count_ == 0; }
  T* data() const { return data_; }
  T& operator[](std::size_t i) const { return data_[i]; }

 private:
  T* data_ = nullptr;
  std::size_t count_;
};

}  // namespace quorbel

#endif
