// See linked_api.h.
#include "linked_api.h"

namespace quorbel::host {

const Api& LinkedApi() {
  static const Api api = [] {
    Api a;
#define QUORBEL_EXPORT(name, bytes) a.name = &::name;
#ifdef _WIN32
#define QUORBEL_EXPORT_DECORATED_ONLY(name, bytes) a.name = &::name;
#define QUORBEL_EXPORT_NATIVE_ONLY(name)
#else
#define QUORBEL_EXPORT_DECORATED_ONLY(name, bytes)
#define QUORBEL_EXPORT_NATIVE_ONLY(name) a.name = &::name;
#endif
#include "exports.inc"
#undef QUORBEL_EXPORT
#undef QUORBEL_EXPORT_DECORATED_ONLY
#undef QUORBEL_EXPORT_NATIVE_ONLY
    return a;
  }();
  return api;
}

}  // namespace quorbel::host
