#include "support/fake_programs.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "actions/process_runner.h"

namespace {

std::string PathWithFakes(const std::string& folder, bool only_fakes) {
  const char* old = std::getenv("PATH");
  if (only_fakes || old == nullptr) return folder;
  return folder + ":" + old;
}

// Shell builtins only, so that a fake runs even when only the fakes are on
// PATH; the run count is written last, once the arguments are complete.
constexpr const char* kRecorder =
    "#!/bin/sh\n"
    "d=${0%/*}; n=${0##*/}\n"
    "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$d/$n.args\"\n"
    "printf x >> \"$d/$n.runs\"\n";

void WaitFor(const std::string& path) {
  for (int i = 0; i < 1000 && access(path.c_str(), F_OK) != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_old_ = old != nullptr;
  if (had_old_) old_ = old;
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (had_old_) {
    setenv(name_.c_str(), old_.c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

FakePrograms::FakePrograms(bool only_fakes)
    : path_("PATH", PathWithFakes(dir_.path(), only_fakes).c_str()) {}

void FakePrograms::Add(const std::string& name, const std::string& body) {
  const std::string path = dir_ / name;
  WriteFile(path, std::string(kRecorder) + body + "\n");
  chmod(path.c_str(), 0755);
}

std::vector<std::string> FakePrograms::Args(const std::string& name) const {
  WaitFor(dir_ / (name + ".runs"));
  std::vector<std::string> args;
  const std::string bytes = ReadFile(dir_ / (name + ".args"));
  if (bytes == "<missing>") return args;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1) {
    args.push_back(bytes.substr(start, end - start));
  }
  return args;
}

int FakePrograms::Runs(const std::string& name) const {
  const std::string runs = ReadFile(dir_ / (name + ".runs"));
  return runs == "<missing>" ? 0 : static_cast<int>(runs.size());
}

void FakePrograms::Forget(const std::string& name) const {
  unlink((dir_ / (name + ".args")).c_str());
  unlink((dir_ / (name + ".runs")).c_str());
}

int OpenDescriptorCount() {
  int n = 0;
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  while (struct dirent* d = readdir(dir)) {
    if (d->d_name[0] != '.') ++n;
  }
  closedir(dir);
  return n - 1;  // the listing's own descriptor
}

bool NoChildLeft() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

bool AllStartedProgramsEnded() {
  for (int i = 0; i < 1000; ++i) {
    if (ReapStartedPrograms() == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}
