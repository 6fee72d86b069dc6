// Faults injected at the exact platform call: every call of the OsCalls
// table goes through a rule that sees its name, its path (for calls that
// take one) and its descriptor, and answers the errno the call fails with
// (0: the call goes on). A rule may also act (change a file, kill the
// process) before it answers.
#pragma once

#include <functional>
#include <string>

#include "platform/os/os_calls.h"

struct InjectedCall {
  const char* call;  // "open", "write", "copy_file_range", ...
  const char* path;  // the path argument, or null
  int fd;            // the descriptor argument (the output one for copies), or -1
};

// The errno the call fails with, or 0.
using FaultRule = std::function<int(const InjectedCall& call)>;

// Puts the rule in force over the table in force for the lifetime of the
// object (not nested: one rule at a time).
class ScopedFaults {
 public:
  explicit ScopedFaults(FaultRule rule);
  ~ScopedFaults();
  ScopedFaults(const ScopedFaults&) = delete;
  ScopedFaults& operator=(const ScopedFaults&) = delete;

 private:
  OsCalls previous_;
};

// The path a descriptor is open on ("" when it cannot be told).
std::string PathOfFd(int fd);

// A rule that fails the n-th call named call (counting from 1) with error,
// and, when path_part is given, only calls whose path (or descriptor's path)
// holds it.
FaultRule FailNth(const char* call, int n, int error, const char* path_part = nullptr);

// Runs body in a forked child that is killed at its n-th platform call
// (counting every call of the table). True when the child was killed, false
// when body finished first (it had fewer calls).
bool KilledAtCall(int n, const std::function<void()>& body);
