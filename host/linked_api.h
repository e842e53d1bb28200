// The library's exports bound to the functions linked into this program, for
// hosts that compile the library's sources in (the R and Python packages)
// rather than load it.
#ifndef QUORBEL_HOST_LINKED_API_H
#define QUORBEL_HOST_LINKED_API_H

#include "api.h"

namespace quorbel::host {

const Api& LinkedApi();

}  // namespace quorbel::host

#endif
