// Two independent pieces of work at once: the second on a thread of its
// own, the first on the caller's. Each piece computes what it would alone,
// so answers do not depend on whether a thread was had.
#ifndef QUORBEL_EXACT_SIDE_BY_SIDE_H
#define QUORBEL_EXACT_SIDE_BY_SIDE_H

#if !defined(__EMSCRIPTEN__) || defined(__EMSCRIPTEN_PTHREADS__)
#define QUORBEL_EXACT_HAS_THREADS 1
#include <future>
#include <system_error>
#endif

namespace quorbel::exact {

// Runs first() and second(), side by side when `worthAThread` and the
// platform gives a thread, one after the other otherwise. An exception
// from either reaches the caller, after both have ended.
template <class First, class Second>
void SideBySide(bool worthAThread, First first, Second second) {
#ifdef QUORBEL_EXACT_HAS_THREADS
  if (worthAThread) {
    std::future<void> other;
    try {
      other = std::async(std::launch::async, second);
    } catch (const std::system_error&) {  // no thread to be had: second runs below
    }
    if (other.valid()) {
      try {
        first();
      } catch (...) {
        other.wait();
        throw;
      }
      other.get();
      return;
    }
  }
#else
  (void)worthAThread;
#endif
  first();
  second();
}

}  // namespace quorbel::exact

#endif
