// The table of Linux calls that the platform layer makes. Every call goes
// through the current table, so tests can swap one entry to inject a failure
// (ENOSPC, EIO, EACCES) without touching the file system.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

struct OsCalls {
  int (*statx)(int dirfd, const char* path, int flags, unsigned int mask, struct statx* out);
  DIR* (*opendir)(const char* path);
  struct dirent* (*readdir)(DIR* dir);
  int (*closedir)(DIR* dir);
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*read)(int fd, void* buffer, size_t n);
  ssize_t (*write)(int fd, const void* buffer, size_t n);
  off_t (*lseek)(int fd, off_t offset, int whence);
  int (*ftruncate)(int fd, off_t length);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*renameat2)(int from_dir, const char* from, int to_dir, const char* to, unsigned int flags);
  int (*unlink)(const char* path);
  int (*mkdir)(const char* path, mode_t mode);
  ssize_t (*copy_file_range)(int in, off_t* in_off, int out, off_t* out_off, size_t n,
                             unsigned int flags);
  int (*fchmod)(int fd, mode_t mode);
  int (*futimens)(int fd, const struct timespec times[2]);
  char* (*getcwd)(char* buffer, size_t size);
  time_t (*time)(time_t* out);
  int (*fstat)(int fd, struct stat* out);
  // Other programs: pipes, the start of a program by PATH lookup, waiting
  // for it, and stopping it.
  int (*pipe2)(int fds[2], int flags);
  int (*posix_spawnp)(pid_t* pid, const char* file, const posix_spawn_file_actions_t* actions,
                      const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]);
  pid_t (*waitpid)(pid_t pid, int* status, int options);
  int (*poll)(struct pollfd* fds, nfds_t n, int timeout_ms);
  int (*kill)(pid_t pid, int signal);
  // A descriptor that becomes readable when the program ends, so that one
  // poll waits for its output and its end together, and the monotonic clock
  // that bounds that wait.
  int (*pidfd_open)(pid_t pid, unsigned int flags);
  int (*clock_gettime)(clockid_t clock, struct timespec* out);
};

// The table in force.
[[nodiscard]] const OsCalls& Os();

// The table of the real calls.
[[nodiscard]] const OsCalls& RealOsCalls();

// Puts a table in force and returns the one it replaces.
OsCalls SetOsCalls(const OsCalls& calls);

// Puts a table in force for the lifetime of the object (tests).
class ScopedOsCalls {
 public:
  explicit ScopedOsCalls(const OsCalls& calls) : previous_(SetOsCalls(calls)) {}
  ~ScopedOsCalls() { SetOsCalls(previous_); }
  ScopedOsCalls(const ScopedOsCalls&) = delete;
  ScopedOsCalls& operator=(const ScopedOsCalls&) = delete;

 private:
  OsCalls previous_;
};
