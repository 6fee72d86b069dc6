#include "platform/os/os_calls.h"

// The C library of Debian 12 declares pidfd_open without C linkage for C++.
extern "C" {
#include <sys/pidfd.h>
}

#include <cstdio>

namespace {

int RealOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
int RealMkdir(const char* path, mode_t mode) { return ::mkdir(path, mode); }
int RealFstat(int fd, struct stat* out) { return ::fstat(fd, out); }

// Named fields: a table that forgets a call does not compile silently wrong.
const OsCalls kReal = {
    .statx = &::statx,
    .opendir = &::opendir,
    .readdir = &::readdir,
    .closedir = &::closedir,
    .open = &RealOpen,
    .read = &::read,
    .write = &::write,
    .lseek = &::lseek,
    .ftruncate = &::ftruncate,
    .fsync = &::fsync,
    .close = &::close,
    .rename = &::rename,
    .renameat2 = &::renameat2,
    .unlink = &::unlink,
    .mkdir = &RealMkdir,
    .copy_file_range = &::copy_file_range,
    .fchmod = &::fchmod,
    .futimens = &::futimens,
    .getcwd = &::getcwd,
    .time = &::time,
    .fstat = &RealFstat,
    .pipe2 = &::pipe2,
    .posix_spawnp = &::posix_spawnp,
    .waitpid = &::waitpid,
    .poll = &::poll,
    .kill = &::kill,
    .pidfd_open = &::pidfd_open,
    .clock_gettime = &::clock_gettime,
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
