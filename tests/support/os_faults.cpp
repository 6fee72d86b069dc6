#include "support/os_faults.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace {

FaultRule g_rule;
OsCalls g_base;  // the table the rule was put over: the calls that go on

// Asks the rule; sets errno and returns true when the call must fail.
bool Fails(const char* call, const char* path, int fd) {
  if (!g_rule) return false;
  const int error = g_rule(InjectedCall{call, path, fd});
  if (error == 0) return false;
  errno = error;
  return true;
}

const OsCalls& Real() { return g_base; }

OsCalls Wrapped() {
  OsCalls c = g_base;
  c.statx = [](int dirfd, const char* path, int flags, unsigned int mask, struct statx* out) {
    return Fails("statx", path, dirfd) ? -1 : Real().statx(dirfd, path, flags, mask, out);
  };
  c.opendir = [](const char* path) -> DIR* {
    return Fails("opendir", path, -1) ? nullptr : Real().opendir(path);
  };
  c.readdir = [](DIR* dir) { return Real().readdir(dir); };
  c.closedir = [](DIR* dir) { return Real().closedir(dir); };
  c.open = [](const char* path, int flags, mode_t mode) {
    return Fails("open", path, -1) ? -1 : Real().open(path, flags, mode);
  };
  c.read = [](int fd, void* b, size_t n) -> ssize_t {
    return Fails("read", nullptr, fd) ? -1 : Real().read(fd, b, n);
  };
  c.write = [](int fd, const void* b, size_t n) -> ssize_t {
    return Fails("write", nullptr, fd) ? -1 : Real().write(fd, b, n);
  };
  c.lseek = [](int fd, off_t o, int w) -> off_t {
    return Fails("lseek", nullptr, fd) ? -1 : Real().lseek(fd, o, w);
  };
  c.ftruncate = [](int fd, off_t l) {
    return Fails("ftruncate", nullptr, fd) ? -1 : Real().ftruncate(fd, l);
  };
  c.fsync = [](int fd) { return Fails("fsync", nullptr, fd) ? -1 : Real().fsync(fd); };
  c.close = [](int fd) {
    // A descriptor is closed whatever the answer, as close does.
    const bool fail = Fails("close", nullptr, fd);
    const int result = Real().close(fd);
    return fail ? -1 : result;
  };
  c.rename = [](const char* from, const char* to) {
    return Fails("rename", to, -1) ? -1 : Real().rename(from, to);
  };
  c.renameat2 = [](int from_dir, const char* from, int to_dir, const char* to, unsigned int flags) {
    return Fails("rename", to, -1) ? -1 : Real().renameat2(from_dir, from, to_dir, to, flags);
  };
  c.unlink = [](const char* path) { return Fails("unlink", path, -1) ? -1 : Real().unlink(path); };
  c.mkdir = [](const char* path, mode_t mode) {
    return Fails("mkdir", path, -1) ? -1 : Real().mkdir(path, mode);
  };
  c.copy_file_range = [](int in, off_t* in_off, int out, off_t* out_off, size_t n,
                         unsigned int flags) -> ssize_t {
    return Fails("copy_file_range", nullptr, out)
               ? -1
               : Real().copy_file_range(in, in_off, out, out_off, n, flags);
  };
  c.fchmod = [](int fd, mode_t mode) {
    return Fails("fchmod", nullptr, fd) ? -1 : Real().fchmod(fd, mode);
  };
  c.futimens = [](int fd, const struct timespec t[2]) {
    return Fails("futimens", nullptr, fd) ? -1 : Real().futimens(fd, t);
  };
  c.fstat = [](int fd, struct stat* out) {
    return Fails("fstat", nullptr, fd) ? -1 : Real().fstat(fd, out);
  };
  return c;
}

}  // namespace

ScopedFaults::ScopedFaults(FaultRule rule) : previous_(Os()) {
  g_base = previous_;
  g_rule = std::move(rule);
  SetOsCalls(Wrapped());
}

ScopedFaults::~ScopedFaults() {
  SetOsCalls(previous_);
  g_rule = nullptr;
}

std::string PathOfFd(int fd) {
  if (fd < 0) return "";
  char link[64], target[PATH_MAX];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, target, sizeof target - 1);
  return n < 0 ? "" : std::string(target, static_cast<std::size_t>(n));
}

FaultRule FailNth(const char* call, int n, int error, const char* path_part) {
  auto seen = std::make_shared<int>(0);
  return [=](const InjectedCall& c) {
    if (std::strcmp(c.call, call) != 0) return 0;
    if (path_part != nullptr) {
      const std::string path = c.path != nullptr ? c.path : PathOfFd(c.fd);
      if (path.find(path_part) == std::string::npos) return 0;
    }
    return ++*seen == n ? error : 0;
  };
}

bool KilledAtCall(int n, const std::function<void()>& body) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    int calls = 0;
    ScopedFaults faults([&calls, n](const InjectedCall&) {
      if (++calls == n) raise(SIGKILL);
      return 0;
    });
    body();
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}
