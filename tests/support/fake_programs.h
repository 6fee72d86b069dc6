// Small fake programs for the tests of the runner and the viewing actions:
// shell scripts in a folder of their own that is put first on PATH, so that
// no test ever starts the desktop's real programs. Each fake records the
// arguments of its last run and counts its runs.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

// Sets (or, with a null value, unsets) an environment variable for the
// lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_, old_;
  bool had_old_;
};

class FakePrograms {
 public:
  // Puts the folder first on PATH (or, with only_fakes, alone on it).
  explicit FakePrograms(bool only_fakes = false);

  const std::string& folder() const { return dir_.path(); }

  // A fake that records its arguments, then runs the shell text body (which
  // may print the fake's known output).
  void Add(const std::string& name, const std::string& body = "");
  // The arguments of the last run, waiting up to 10 s for a run to finish
  // recording; empty when none did.
  std::vector<std::string> Args(const std::string& name) const;
  // How many runs have finished recording since the last Forget.
  int Runs(const std::string& name) const;
  // Removes the records of the runs so far.
  void Forget(const std::string& name) const;

 private:
  TempDir dir_;
  ScopedEnv path_;
};

// Descriptors this process holds open.
int OpenDescriptorCount();
// True when this process has no child left (running or waiting to be reaped).
bool NoChildLeft();
// Reaps the programs started without waiting until none runs, up to 10 s; true when none does.
bool AllStartedProgramsEnded();
