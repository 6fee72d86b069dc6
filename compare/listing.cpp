#include "compare/listing.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "compare/file_queries.h"
#include "runtime/files/paths.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/lists.h"
#include "runtime/text/strings.h"

namespace {

std::string_view ViewOf(StrDesc s) { return std::string_view(s.ptr, s.len); }

// Pushes the items joined by sep as one new string; 146 past 65,535 bytes.
StrDesc PushJoined(const std::vector<std::string_view>& items, char sep) {
  std::uint32_t total = 0;
  for (std::string_view item : items) total += static_cast<std::uint32_t>(item.size()) + 1;
  if (total != 0) --total;
  if (total > 65535u) return ErrorDesc(kErrStringTooLong);
  const AreaMark mark = MarkArea();
  char* out = ReserveTopPtr(static_cast<std::uint16_t>(total), kNoFill);
  if (out == nullptr) return ErrorDesc(kErrOutOfMemory);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i != 0) *out++ = sep;
    std::memcpy(out, items[i].data(), items[i].size());
    out += items[i].size();
  }
  (void)mark;
  return TopString();
}

std::vector<std::string_view> Items(StrDesc list, char sep) {
  std::vector<std::string_view> items;
  const std::uint16_t count = ItemCount(list, sep);
  items.reserve(count);
  ListCursor cursor{list, sep};
  for (std::uint16_t i = 0; i < count; ++i) items.push_back(ViewOf(NextItem(&cursor)));
  return items;
}

void StableSort(std::vector<std::string_view>* items) {
  std::stable_sort(items->begin(), items->end(),
                   [](std::string_view a, std::string_view b) { return PaddedCompare(a, b) < 0; });
}

bool Collect(const DirectoryEntry& entry, void* context) {
  auto* snapshot = static_cast<FolderSnapshot*>(context);
  const std::size_t length = std::strlen(entry.name);
  snapshot->entries.push_back(SnapshotEntry{entry.attributes, entry.modified, entry.size,
                                            static_cast<std::uint32_t>(snapshot->names.size()),
                                            static_cast<std::uint16_t>(length)});
  snapshot->names.append(entry.name, length);
  return true;
}

}  // namespace

int PaddedCompare(std::string_view a, std::string_view b) {
  // The common length bytewise (eight bytes a step, as big-endian words, so
  // that the first differing byte decides), then the longer text's rest
  // against the blanks the shorter one is padded with.
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    if (x != y) return __builtin_bswap64(x) < __builtin_bswap64(y) ? -1 : 1;
  }
  for (; i < n; ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  const std::string_view rest = a.size() > n ? a.substr(n) : b.substr(n);
  const int sign = a.size() > n ? 1 : -1;
  for (const char ch : rest) {
    const auto c = static_cast<unsigned char>(ch);
    if (c != ' ') return c > ' ' ? sign : -sign;
  }
  return 0;
}

StrDesc SortList(StrDesc list, std::uint8_t options) {
  if (DescStatus(list) != kOk) return list;
  const char sep = (options & kSortNulSeparated) ? kNul : kComma;
  std::vector<std::string_view> items = Items(list, sep);
  StableSort(&items);
  std::vector<std::string_view> kept;
  kept.reserve(items.size());
  for (std::string_view item : items) {
    if (options & kSortTrimTrailing) {
      while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
    }
    if (!item.empty()) kept.push_back(item);  // an empty text adds nothing to the join
  }
  const AreaMark mark = MarkArea();
  const StrDesc sorted = PushJoined(kept, sep);
  return KeepResult(mark, sorted.ptr != nullptr ? sorted : EmptyDesc());
}

StrDesc FilterByAttribute(StrDesc folder, StrDesc list, std::uint16_t mask) {
  const AreaMark mark = MarkArea();
  std::vector<std::string_view> kept;
  for (std::string_view item : Items(list, kNul)) {
    const AreaMark inner = MarkArea();
    const StrDesc path = JoinPath(folder, MakeDesc(item.data(), item.size()));
    // The exact name: a "*" or "?" in it must not match another entry.
    DirectoryEntry entry;
    const bool found = path.ptr != nullptr && std::memchr(path.ptr, '\0', path.len) == nullptr &&
                       QueryPath(std::string(path.ptr, path.len).c_str(), &entry) == kOk;
    ReleaseArea(inner);
    if (found && (entry.attributes & mask) != 0 && !item.empty()) kept.push_back(item);
  }
  const StrDesc filtered = PushJoined(kept, kNul);
  return KeepResult(mark, filtered);
}

StrDesc ListFolder(StrDesc folder, std::uint16_t mask, ListOutcome* outcome,
                   FolderSnapshot* snapshot) {
  ListOutcome local_outcome;
  if (outcome == nullptr) outcome = &local_outcome;
  FolderSnapshot local_snapshot;
  if (snapshot == nullptr) snapshot = &local_snapshot;
  snapshot->entries.clear();
  snapshot->names.clear();
  snapshot->by_name.Reset(0);
  snapshot->listed.clear();
  const AreaMark mark = MarkArea();
  // One pass over the folder gives every name with its attributes: the
  // filter needs no second query per name.
  const StrDesc pattern = JoinPath(folder, Lit("*.*"));
  if (pattern.ptr == nullptr) {
    *outcome = ListOutcome::kOutOfMemory;  // never silent: the folder was not read
    return KeepResult(mark, EmptyDesc());
  }
  const std::string c_pattern(pattern.ptr, pattern.len);
  ReleaseArea(mark);
  // A folder text holding a NUL byte would be read cut short, as another folder.
  const bool usable = c_pattern.find('\0') == std::string::npos;
  const StatusWord found =
      usable ? FindEntries(c_pattern.c_str(), &Collect, snapshot) : kErrFileNotFound;
  if (found != kOk) {
    snapshot->entries.clear();
    snapshot->names.clear();
    *outcome = found == kErrFileNotFound ? ListOutcome::kNoFolder : ListOutcome::kUnreadable;
    return KeepResult(mark, EmptyDesc());
  }
  // The kept names with their entries, sorted together.
  std::vector<std::pair<std::string_view, std::uint32_t>> kept;
  kept.reserve(snapshot->entries.size());
  snapshot->by_name.Reset(snapshot->entries.size());
  for (std::size_t i = 0; i < snapshot->entries.size(); ++i) {
    const SnapshotEntry& e = snapshot->entries[i];
    const std::string_view name = snapshot->Name(i);
    snapshot->by_name.Insert(name, static_cast<std::uint32_t>(i));
    // Names are kept whole: on this file system a trailing blank is part of
    // the name, and a stripped name would stand for another file or none.
    if ((e.attributes & mask) != 0 && !name.empty()) {
      kept.emplace_back(name, static_cast<std::uint32_t>(i));
    }
  }
  std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) {
    return PaddedCompare(a.first, b.first) < 0;
  });
  std::vector<std::string_view> names;
  names.reserve(kept.size());
  snapshot->listed.clear();
  snapshot->listed.reserve(kept.size());
  for (const auto& [name, entry] : kept) {
    names.push_back(name);
    snapshot->listed.push_back(entry);
  }
  const StrDesc list = PushJoined(names, kNul);
  if (list.ptr == nullptr) {
    *outcome =
        DescStatus(list) == kErrStringTooLong ? ListOutcome::kTooLarge : ListOutcome::kOutOfMemory;
    return KeepResult(mark, EmptyDesc());
  }
  *outcome = ListOutcome::kListed;
  return KeepResult(mark, list);
}
