/* For musl's sources, which include <features.h> for its "hidden": the
 * system's features.h where there is one (glibc, emscripten's musl), and
 * "hidden" for C (musl's sources) where the system gives none. */
#if defined(__has_include_next)
#if __has_include_next(<features.h>)
#include_next <features.h>
#endif
#endif
#if !defined(__cplusplus) && !defined(hidden)
#if defined(_WIN32)
#define hidden
#else
#define hidden __attribute__((__visibility__("hidden")))
#endif
#endif
