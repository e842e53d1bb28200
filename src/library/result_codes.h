// The result codes of every calculation (named in quorbel.h) and the type the
// library passes them around in.
#ifndef QUORBEL_LIBRARY_RESULT_CODES_H
#define QUORBEL_LIBRARY_RESULT_CODES_H

#include "quorbel.h"

namespace quorbel {
using ResultCode = QuorbelResult;
}  // namespace quorbel

#endif
