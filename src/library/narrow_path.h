// Conversion of the narrow paths taken by the _A variants into the wide paths
// of their twins.
#ifndef QUORBEL_LIBRARY_NARROW_PATH_H
#define QUORBEL_LIBRARY_NARROW_PATH_H

namespace quorbel {

constexpr int kPathCapacity = 260;

struct WidePath {
  wchar_t text[kPathCapacity];
};

// Zero-fills the buffer and converts `narrow` under the current locale,
// stopping at the first sequence that does not convert. A path of 260
// characters or more is cut to 259 so the buffer always ends in a terminator.
WidePath WidenPath(const char* narrow);

}  // namespace quorbel

#endif
