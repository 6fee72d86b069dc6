#include "platform/os/os_calls.h"

#include <cstdio>

namespace {

int RealOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
int RealMkdir(const char* path, mode_t mode) { return ::mkdir(path, mode); }

const OsCalls kReal = {
    &::statx,           &::opendir,   &::readdir,  &::closedir, &RealOpen, &::read,   &::write,
    &::lseek,           &::ftruncate, &::fsync,    &::close,    &::rename, &::unlink, &RealMkdir,
    &::copy_file_range, &::fchmod,    &::futimens, &::getcwd,   &::time,
};

OsCalls g_calls = kReal;

}  // namespace

const OsCalls& Os() { return g_calls; }

const OsCalls& RealOsCalls() { return kReal; }

OsCalls SetOsCalls(const OsCalls& calls) {
  OsCalls previous = g_calls;
  g_calls = calls;
  return previous;
}
