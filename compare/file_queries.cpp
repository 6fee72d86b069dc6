#include "compare/file_queries.h"

#include <cstring>
#include <ctime>
#include <string>

#include "platform/os/os_calls.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/strings.h"

namespace {

// The list being built in the area's free space above the top.
struct NameList {
  char* out;
  std::uint32_t room;  // bytes the area can take for one new string
  std::uint32_t used;  // bytes written, one NUL after each name
  StatusWord status;
};

bool AppendName(const DirectoryEntry& entry, void* context) {
  auto* list = static_cast<NameList*>(context);
  const std::uint32_t n = static_cast<std::uint32_t>(std::strlen(entry.name));
  // The list's length is everything but the last NUL.
  const std::uint32_t end = list->used + n;
  if (end > 65535u) {
    list->status = kErrStringTooLong;
    return false;
  }
  if (end > list->room) {
    list->status = kErrOutOfMemory;
    return false;
  }
  std::memcpy(list->out + list->used, entry.name, n);
  if (end < list->room) list->out[end] = '\0';
  list->used = end + 1;
  return true;
}

// Runs fn with the path as a NUL-terminated string; an unusable path is the
// empty one, which matches nothing. A path holding a NUL byte is unusable
// too: cut at the NUL it would name another file.
std::string CPath(StrDesc path) {
  if (DescStatus(path) != kOk || std::memchr(path.ptr, '\0', path.len) != nullptr) return {};
  return std::string(path.ptr, path.len);
}

template <typename Fn>
auto WithCPath(StrDesc path, Fn fn) {
  const std::string c = CPath(path);
  return fn(c.c_str());
}

bool KeepFirst(const DirectoryEntry& entry, void* context) {
  *static_cast<DirectoryEntry*>(context) = entry;
  return false;
}

constexpr int kLastYear = 9999;  // a date number holds four digits of year

// The local calendar time of a stamp; false for a negative stamp and for one
// past the year 9999, which no date number can hold.
bool LocalTime(std::int64_t stamp, std::tm* out) {
  if (stamp < 0) return false;
  const std::time_t t = static_cast<std::time_t>(stamp);
  if (localtime_r(&t, out) == nullptr) return false;
  return std::int64_t{out->tm_year} + 1900 <= kLastYear;
}

}  // namespace

StatusWord ListMatchingNames(StrDesc pattern) {
  const std::string c_pattern = CPath(pattern);
  // The names go straight into the free space above the top; the list is
  // committed in place at the end, so it costs no copy.
  const StrDesc space = FreeTopSpace();
  // No string area (before start-up, after its release): nowhere to put the list.
  if (space.ptr == nullptr) return kErrOutOfMemory;
  NameList list{const_cast<char*>(space.ptr), space.len, 0, kOk};
  const StatusWord found = FindEntries(c_pattern.c_str(), &AppendName, &list);
  if (found != kOk) return found;
  if (list.status != kOk) return list.status;
  const std::uint32_t len = list.used == 0 ? 0 : list.used - 1;
  if (ReserveTop(static_cast<std::uint16_t>(len), kNoFill) != kOk) return kErrOutOfMemory;
  return kOk;
}

StatusWord QueryEntry(StrDesc path, DirectoryEntry* entry) {
  return WithCPath(path, [entry](const char* c) {
    DirectoryEntry first;
    const StatusWord st = FindEntries(c, &KeepFirst, &first);
    if (st == kOk) *entry = first;
    return st;
  });
}

std::uint16_t EntryAttributes(StrDesc path) {
  DirectoryEntry e;
  if (QueryEntry(path, &e) != kOk) return kErrFileNotFound;
  return static_cast<std::uint16_t>(e.attributes & 0xFFFFu);
}

std::uint64_t EntrySize(StrDesc path) {
  DirectoryEntry e;
  return QueryEntry(path, &e) == kOk ? e.size : 0;
}

std::uint32_t EntryStamp(StrDesc path, std::uint8_t which, std::uint8_t form) {
  DirectoryEntry e;
  if (QueryEntry(path, &e) != kOk) return 0;
  const std::int64_t stamp =
      which == kStampCreated ? e.created : (which == kStampAccessed ? e.accessed : e.modified);
  return form == kFormDate ? StampDate(stamp) : StampTime(stamp);
}

std::uint32_t StampDate(std::int64_t stamp) {
  std::tm tm{};
  if (!LocalTime(stamp, &tm)) return 0;
  return static_cast<std::uint32_t>((tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 +
                                    tm.tm_mday);
}

std::uint32_t StampTime(std::int64_t stamp) {
  std::tm tm{};
  if (!LocalTime(stamp, &tm)) return 0;
  return static_cast<std::uint32_t>(tm.tm_hour * 3600000 + tm.tm_min * 60000 + tm.tm_sec * 1000);
}

void StampDateTime(std::int64_t stamp, std::uint32_t* date, std::uint32_t* time) {
  std::tm tm{};
  if (!LocalTime(stamp, &tm)) {
    *date = 0;
    *time = 0;
    return;
  }
  *date =
      static_cast<std::uint32_t>((tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday);
  *time = static_cast<std::uint32_t>(tm.tm_hour * 3600000 + tm.tm_min * 60000 + tm.tm_sec * 1000);
}

std::int64_t CurrentStamp() { return static_cast<std::int64_t>(Os().time(nullptr)); }

StatusWord RemoveFile(StrDesc path) {
  return WithCPath(path, [](const char* c) -> StatusWord {
    return c[0] != '\0' && Os().unlink(c) == 0 ? kOk : kFailure;
  });
}

StatusWord MakeFolder(StrDesc path) {
  return WithCPath(path, [](const char* c) -> StatusWord {
    return c[0] != '\0' && Os().mkdir(c, 0777) == 0 ? kOk : kFailure;
  });
}
