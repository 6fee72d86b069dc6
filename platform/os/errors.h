// The runtime status that stands for a Linux errno.
#pragma once

#include "runtime/memory/status.h"

// ENOENT and ENOTDIR: 164; EACCES, EPERM and EROFS: 175; anything else: 65535.
[[nodiscard]] StatusWord StatusFromErrno(int error);
