#include "compare/entry_line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "compare/file_queries.h"
#include "compare/size_field.h"
#include "platform/os/dir_entries.h"
#include "platform/os/os_calls.h"
#include "runtime/files/paths.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/dates.h"
#include "runtime/text/format.h"
#include "runtime/text/lists.h"
#include "runtime/text/strings.h"

namespace {

constexpr StrDesc kMarkerTexts = Lit(" == , >> , << , ## , ++ , XX ");

std::string_view ViewOf(StrDesc s) { return std::string_view(s.ptr, s.len); }

FileStatus NotQueried() {
  FileStatus fs{};
  fs.status = kFailure;
  return fs;
}

void SetStamp(std::int64_t stamp, std::int32_t* date, std::int32_t* time) {
  std::uint32_t d = 0, t = 0;
  StampDateTime(stamp, &d, &t);
  *date = static_cast<std::int32_t>(d);
  *time = static_cast<std::int32_t>(t);
}

FileStatus FromEntry(const DirectoryEntry& e) {
  FileStatus fs{};
  fs.status = kOk;
  fs.size = e.size;
  SetStamp(e.created, &fs.created_date, &fs.created_time);
  SetStamp(e.accessed, &fs.accessed_date, &fs.accessed_time);
  SetStamp(e.modified, &fs.modified_date, &fs.modified_time);
  return fs;
}

// The status of the copy of name in folder: from the listing's snapshot
// when the pass has one (entry is the name's entry there, kNoEntry when it
// has none), else from the disk. Only a regular file is a copy: a folder, a
// FIFO, a device or a dangling link under the same name counts as no copy at
// all, so the row is one-sided and no copy is ever asked to write a file
// over a folder.
FileStatus SideStatus(const ComparePass& pass, StrDesc folder, StrDesc name,
                      const FolderSnapshot* snapshot, std::uint32_t entry) {
  if (folder.len == 0) return NotQueried();
  FileStatus missing{};
  missing.status = kErrFileNotFound;
  if (snapshot != nullptr) {
    if (entry == ComparePass::kNoEntry) return missing;
    const SnapshotEntry& e = snapshot->entries[entry];
    if ((e.attributes & kAttrArchive) == 0) return missing;
    // Only the modified stamp shows in a line or takes part in the comparison.
    FileStatus fs{};
    fs.status = kOk;
    fs.size = e.size;
    // Files written together share their stamps: each is converted once.
    ComparePass::StampMemo& memo =
        pass.stamps[static_cast<std::uint64_t>(e.modified) % pass.stamps.size()];
    if (!memo.used || memo.stamp != e.modified) {
      memo.used = true;
      memo.stamp = e.modified;
      SetStamp(e.modified, &memo.date, &memo.time);
    }
    fs.modified_date = memo.date;
    fs.modified_time = memo.time;
    return fs;
  }
  const AreaMark mark = MarkArea();
  const StrDesc path = JoinPath(folder, name);
  DirectoryEntry found_entry;
  const bool usable = path.ptr != nullptr && std::memchr(path.ptr, '\0', path.len) == nullptr;
  const bool found =
      usable && QueryPath(std::string(path.ptr, path.len).c_str(), &found_entry) == kOk;
  ReleaseArea(mark);
  if (!found || (found_entry.attributes & kAttrArchive) == 0) return missing;
  return FromEntry(found_entry);
}

// The entry of name in a snapshot, or kNoEntry (also without a snapshot).
std::uint32_t EntryOf(const FolderSnapshot* snapshot, StrDesc name) {
  return snapshot != nullptr ? snapshot->by_name.Find(ViewOf(name)) : ComparePass::kNoEntry;
}

// The entry of item i of a list, from the snapshot of the listing that made
// it when the list is that listing's (else by name).
std::uint32_t ListedEntry(const FolderSnapshot* snapshot, std::size_t i, StrDesc name) {
  if (snapshot != nullptr && i < snapshot->listed.size()) {
    const std::uint32_t entry = snapshot->listed[i];
    if (snapshot->Name(entry) == ViewOf(name)) return entry;
  }
  return EntryOf(snapshot, name);
}

// Whether a listed name of a snapshot's folder is in that folder's list: the
// list holds exactly the entries with the archive bit.
bool Listed(const FolderSnapshot* snapshot, std::uint32_t entry) {
  return entry != ComparePass::kNoEntry &&
         (snapshot->entries[entry].attributes & kArchiveMask) != 0;
}

// Every name of a folder, without a query per name. True when the names
// are known: the folder was read whole, or there is no such folder (no
// names); false when it exists but cannot be read, and each name must be
// looked up by itself.
bool ReadNames(const std::string& folder, OwnedNames* names) {
  names->Clear();
  DIR* dir = Os().opendir(folder.c_str());
  if (dir == nullptr) {
    names->Index();
    return errno == ENOENT || errno == ENOTDIR;
  }
  bool whole = true;
  for (;;) {
    errno = 0;
    struct dirent* d = Os().readdir(dir);
    if (d == nullptr) {
      whole = errno == 0;
      break;
    }
    names->Add(d->d_name);
  }
  Os().closedir(dir);
  names->Index();
  return whole;
}

// Whether something stands under folder/name (folder empty: the current folder).
bool EntryThere(const std::string& folder, StrDesc name) {
  const std::string path =
      (folder.empty() ? std::string() : folder + "/") + std::string(name.ptr, name.len);
  DirectoryEntry entry;
  return QueryPath(path.c_str(), &entry) == kOk;
}

// Whether an adapted copy of the name exists: the name itself relative to
// the current folder, then in the left and in the right adapted folder. Each
// is looked up exactly, the folders one by one (a comma in a folder's path
// must not split it); a folder that could not be read is asked per name.
bool AdaptedCopyExists(const ComparePass& pass, StrDesc name) {
  const std::string_view key = ViewOf(name);
  for (int side = 0; side < 2; ++side) {
    const ComparePass::AdaptedFolder& a = pass.adapted_folders[side];
    if (a.path.empty()) continue;
    if (a.read ? a.names.Contains(key) : EntryThere(a.path, name)) return true;
  }
  // The name relative to the current folder: an entry of that folder exactly
  // when the folder's reading holds it.
  if (pass.current_listed) return pass.current_names.Contains(key);
  return EntryThere("", name);
}

// The date shown for a date number: from the pass's cache, or formatted
// once and kept there; the empty text for a date the calendar cannot show
// (before 1970, after 9999). Leaves nothing on the area; an ErrorDescriptor
// when it cannot be formatted.
StrDesc ShortDate(const ComparePass& pass, std::int32_t date) {
  auto known = pass.short_dates.find(date);
  if (known == pass.short_dates.end()) {
    char digits[kDateTextLength];
    if (IsValidDate(date, digits) != kOk) {
      known = pass.short_dates.emplace(date, std::string()).first;
    } else {
      const AreaMark mark = MarkArea();
      const StrDesc shown = FormatDate(DateToText(date), kDateShort);
      if (shown.ptr == nullptr) {
        ReleaseArea(mark);
        return shown;
      }
      known = pass.short_dates.emplace(date, std::string(shown.ptr, shown.len)).first;
      ReleaseArea(mark);
    }
  }
  return MakeDesc(known->second.data(), known->second.size());
}

}  // namespace

FileStatus QueryFileStatus(StrDesc path) {
  FileStatus fs{};
  const std::string c = path.ptr != nullptr && std::memchr(path.ptr, '\0', path.len) == nullptr
                            ? std::string(path.ptr, path.len)
                            : std::string();
  DirectoryEntry entry;
  fs.status = QueryPath(c.c_str(), &entry);
  if (fs.status == kOk) fs = FromEntry(entry);
  return fs;
}

std::int16_t CompareStamps(std::int32_t date_a, std::int32_t time_a, std::int32_t date_b,
                           std::int32_t time_b, std::int32_t tolerance) {
  if (date_a > date_b) return 1;
  if (date_a < date_b) return -1;
  // 64 bits: the tolerance is added to a time without any risk of overflow.
  if (std::int64_t{time_a} > std::int64_t{time_b} + tolerance) return 1;
  if (std::int64_t{time_a} < std::int64_t{time_b} - tolerance) return -1;
  return 0;
}

void WriteTimeOfDay(std::int32_t milliseconds, char out[5]) {
  const std::int32_t ms = milliseconds < 0 ? 0 : milliseconds;
  const unsigned hours = static_cast<unsigned>(ms / 3600000) % 100;
  const unsigned minutes = static_cast<unsigned>((ms % 3600000) / 60000);
  out[0] = static_cast<char>('0' + hours / 10);
  out[1] = static_cast<char>('0' + hours % 10);
  out[2] = ':';
  out[3] = static_cast<char>('0' + minutes / 10);
  out[4] = static_cast<char>('0' + minutes % 10);
}

StrDesc FormatTimeOfDay(std::int32_t milliseconds) {
  const AreaMark mark = MarkArea();
  char text[5];
  WriteTimeOfDay(milliseconds, text);
  return KeepResult(mark, StrDesc{text, 5});
}

StrDesc MarkerText(StatusMarker marker) {
  // Item n of the marker list, taken once.
  static const StrDesc kTexts[] = {Item(kMarkerTexts, kComma, 1), Item(kMarkerTexts, kComma, 2),
                                   Item(kMarkerTexts, kComma, 3), Item(kMarkerTexts, kComma, 4),
                                   Item(kMarkerTexts, kComma, 5), Item(kMarkerTexts, kComma, 6)};
  if (marker < kMarkerEqual || marker > kMarkerRightOnly) return EmptyDesc();
  return kTexts[marker - 1];
}

StrDesc LineFileName(StrDesc line) {
  if (DescStatus(line) != kOk || line.len <= 1) return StrDesc{line.ptr, 0};
  // 38 characters from position 2; a character is one whole UTF-8 sequence.
  const StrDesc rest{line.ptr + 1, static_cast<std::uint16_t>(line.len - 1)};
  const StrDesc field = Utf8Prefix(rest, kNameWidth);
  return Trim(field, kTrimTrailing);
}

namespace {

// The line of a compared name for one side, from the copy shown there: the
// text " %s%s  %s  %s %s" of the name, size, date, time and marker fields
// gives, written in one reservation. Blanks stand in the size, date and
// time fields of a copy that was not found, and in the date and time of a
// stamp the calendar cannot show (before 1970, after 9999), never another date.
EntryLine FinishLine(const ComparePass& pass, AreaMark mark, EntryLine result,
                     const FileStatus& shown) {
  char name[kNameFieldRoom], size[kSizeFieldRoom];
  const std::size_t name_len = WriteNameField(result.name, name);
  StrDesc size_text = Lit("       ");
  StrDesc date = Lit("        ");
  StrDesc time = Lit("     ");
  char time_text[5];
  if (shown.status == kOk) {
    size_text = MakeDesc(size, WriteSizeField(shown.size, size));
    const StrDesc known = ShortDate(pass, shown.modified_date);
    if (known.ptr == nullptr) {
      result.line = KeepResult(mark, known);
      return result;
    }
    if (known.len != 0) {
      date = known;
      WriteTimeOfDay(shown.modified_time, time_text);
      time = StrDesc{time_text, 5};
    }
  }
  const StrDesc marker = MarkerText(result.marker);
  const StrDesc parts[] = {
      Lit(" "), MakeDesc(name, name_len), size_text, Lit("  "), date, Lit("  "), time, Lit(" "),
      marker};
  std::size_t total = 0;
  for (const StrDesc& part : parts) total += part.len;
  char* out = ReserveTopPtr(static_cast<std::uint16_t>(total), kNoFill);
  if (out == nullptr) {
    result.line = KeepResult(mark, ErrorDesc(kErrOutOfMemory));
    return result;
  }
  for (const StrDesc& part : parts) {
    std::memcpy(out, part.ptr, part.len);
    out += part.len;
  }
  // Nothing was pushed between the mark and the reservation (the date's
  // formatting released its own), so the line is the one new string.
  result.line = TopString();
  return result;
}

}  // namespace

void PrepareComparePass(ComparePass* pass, StrDesc left_folder, StrDesc right_folder,
                        StrDesc left_list, StrDesc right_list, StrDesc adapted,
                        const FolderSnapshot* left_entries, const FolderSnapshot* right_entries) {
  pass->left_folder = left_folder;
  pass->right_folder = right_folder;
  pass->left_list = left_list;
  pass->right_list = right_list;
  pass->adapted = adapted;
  pass->left_entries = left_entries;
  pass->right_entries = right_entries;
  pass->left_names.clear();
  pass->left_on_right.clear();
  pass->left_entry.clear();
  pass->left_right_entry.clear();
  pass->right_only.clear();
  pass->right_only_entry.clear();
  // Without the snapshots, the lists themselves say which names each holds.
  NameTable left_set, right_set;
  const std::uint16_t left_count = ItemCount(left_list, kNul);
  const std::uint16_t right_count = ItemCount(right_list, kNul);
  if (right_entries == nullptr) {
    right_set.Reset(right_count);
    ListCursor right{right_list, kNul};
    for (std::uint16_t i = 0; i < right_count; ++i) right_set.Insert(ViewOf(NextItem(&right)), 0);
  }
  pass->left_names.reserve(left_count);
  pass->left_on_right.reserve(left_count);
  pass->left_entry.reserve(left_count);
  pass->left_right_entry.reserve(left_count);
  if (left_entries == nullptr) left_set.Reset(left_count);
  ListCursor left{left_list, kNul};
  for (std::uint16_t i = 0; i < left_count; ++i) {
    const StrDesc name = NextItem(&left);
    const std::uint32_t right_entry = EntryOf(right_entries, name);
    pass->left_names.push_back(name);
    pass->left_entry.push_back(ListedEntry(left_entries, i, name));
    pass->left_right_entry.push_back(right_entry);
    pass->left_on_right.push_back(right_entries != nullptr ? Listed(right_entries, right_entry)
                                                           : right_set.Contains(ViewOf(name)));
    if (left_entries == nullptr) left_set.Insert(ViewOf(name), 0);
  }
  ListCursor right{right_list, kNul};
  for (std::uint16_t i = 0; i < right_count; ++i) {
    const StrDesc name = NextItem(&right);
    const bool on_left = left_entries != nullptr ? Listed(left_entries, EntryOf(left_entries, name))
                                                 : left_set.Contains(ViewOf(name));
    if (on_left) continue;
    pass->right_only.push_back(name);
    pass->right_only_entry.push_back(ListedEntry(right_entries, i, name));
  }
  pass->adapted_listed = adapted.ptr != nullptr && adapted.len != 0;
  for (ComparePass::AdaptedFolder& a : pass->adapted_folders) {
    a.path.clear();
    a.names.Clear();
    a.read = false;
  }
  pass->short_dates.clear();
  pass->stamps.fill(ComparePass::StampMemo{});
  pass->last = ComparePass::Compared{};
  pass->current_listed = pass->adapted_listed && ReadNames(".", &pass->current_names);
  if (pass->adapted_listed) {
    const AreaMark mark = MarkArea();
    for (int side = 0; side < 2; ++side) {
      const StrDesc folder = side == 0 ? left_folder : right_folder;
      if (folder.len == 0) continue;
      const StrDesc path = ResolveRelativePath(folder, adapted);
      if (path.ptr != nullptr) {
        ComparePass::AdaptedFolder& a = pass->adapted_folders[side];
        a.path.assign(path.ptr, path.len);
        a.read = ReadNames(a.path, &a.names);
      }
      ReleaseArea(mark);
    }
  }
}

EntryLine BuildPassLine(const ComparePass& pass, std::uint16_t row, std::uint8_t side) {
  const AreaMark mark = MarkArea();
  EntryLine result{kMarkerNone, EmptyDesc(), EmptyDesc()};
  const std::size_t left_count = pass.left_names.size();
  StrDesc name = EmptyDesc();
  std::uint32_t left_entry = ComparePass::kNoEntry, right_entry = ComparePass::kNoEntry;
  if (row >= 1 && row <= left_count) {
    name = pass.left_names[row - 1];
    left_entry = pass.left_entry[row - 1];
    right_entry = pass.left_right_entry[row - 1];
    if (side == kSideRight && !pass.left_on_right[row - 1]) name = EmptyDesc();
  } else if (side == kSideRight && row > left_count) {
    const std::size_t k = row - left_count;
    result.marker = kMarkerRightOnly;
    if (k <= pass.right_only.size()) {
      name = pass.right_only[k - 1];
      right_entry = pass.right_only_entry[k - 1];
      // Not a left name: what stands under it on the left, if anything, is
      // no file of the list.
      left_entry = EntryOf(pass.left_entries, name);
    }
  }
  if (name.len == 0) {
    result.line = KeepResult(mark, EmptyDesc());
    return result;
  }
  result.name = name;
  ComparePass::Compared& last = pass.last;
  if (last.name == name.ptr && last.length == name.len && last.start == result.marker) {
    // The row's other line: the same name compared a moment ago.
    result.marker = last.marker;
    return FinishLine(pass, mark, result, side == kSideLeft ? last.left : last.right);
  }
  const FileStatus left = SideStatus(pass, pass.left_folder, name, pass.left_entries, left_entry);
  const FileStatus right =
      SideStatus(pass, pass.right_folder, name, pass.right_entries, right_entry);
  last = ComparePass::Compared{name.ptr, name.len, result.marker, 0, left, right};
  if (left.status == kOk) {
    if (right.status != kOk) {
      result.marker = kMarkerLeftOnly;
    } else {
      const std::int16_t order =
          CompareStamps(left.modified_date, left.modified_time, right.modified_date,
                        right.modified_time, kStampTolerance);
      result.marker =
          order == 0 ? kMarkerEqual : (order > 0 ? kMarkerLeftNewer : kMarkerRightNewer);
    }
  }
  if (result.marker != kMarkerEqual && pass.adapted_listed && AdaptedCopyExists(pass, name)) {
    result.marker = kMarkerAdapted;
  }
  last.marker = result.marker;
  return FinishLine(pass, mark, result, side == kSideLeft ? left : right);
}

EntryLine BuildEntryLine(StrDesc left_folder, StrDesc right_folder, StrDesc left_list,
                         StrDesc right_list, std::uint16_t row, std::uint8_t side,
                         StrDesc adapted) {
  ComparePass pass;
  PrepareComparePass(&pass, left_folder, right_folder, left_list, right_list, adapted);
  return BuildPassLine(pass, row, side);
}
