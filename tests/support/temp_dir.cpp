#include "support/temp_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vantoro-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  path_ = made != nullptr ? made : "";
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ec;
  // Read-only folders made by a test must not stop the clean-up.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::operator/(const std::string& relative) const { return path_ + "/" + relative; }

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool SetModified(const std::string& path, std::int64_t seconds) {
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(seconds);
  times[0].tv_nsec = times[1].tv_nsec = 0;
  return utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

std::int64_t LocalStamp(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(mktime(&tm));
}

ScopedTimeZone::ScopedTimeZone(const char* tz) {
  const char* old = std::getenv("TZ");
  had_old_ = old != nullptr;
  if (had_old_) old_ = old;
  setenv("TZ", tz, 1);
  tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
  if (had_old_) {
    setenv("TZ", old_.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}
