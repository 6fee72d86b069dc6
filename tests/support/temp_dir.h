// A temporary folder for one test, removed with everything in it afterwards,
// and helpers that make files with set modified times.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + relative.
  std::string operator/(const std::string& relative) const;

 private:
  std::string path_;
};

// Writes bytes to path (creating or replacing it); false on failure.
bool WriteFile(const std::string& path, const std::string& bytes);
// Reads the whole file; "<missing>" when it cannot be opened.
std::string ReadFile(const std::string& path);
// Sets the modified and accessed time of path to seconds since 1970 (UTC).
bool SetModified(const std::string& path, std::int64_t seconds);
// Seconds since 1970 of a local date and time in the current TZ.
std::int64_t LocalStamp(int year, int month, int day, int hour, int minute, int second);

// Sets TZ for the lifetime of the object.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz);
  ~ScopedTimeZone();

 private:
  std::string old_;
  bool had_old_;
};
