#include "platform/os/errors.h"

#include <cerrno>

StatusWord StatusFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kErrFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kErrPermissionDenied;
    default:
      return kFailure;
  }
}
