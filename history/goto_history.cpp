#include "history/goto_history.h"

#include <vector>

#include "compare/file_queries.h"
#include "platform/ui/prompt_service.h"
#include "runtime/core/typed_lists.h"
#include "runtime/files/paths.h"
#include "runtime/files/streams.h"
#include "runtime/memory/string_area.h"
#include "runtime/messages/prompts.h"
#include "runtime/text/lists.h"
#include "runtime/text/search.h"
#include "runtime/text/strings.h"

namespace {

StrDesc Bytes(const std::string& s) { return MakeDesc(s.data(), s.size()); }

StrDesc HistoryPath() { return FileInApplicationFolder(kHistoryFile, kFolderDefault); }

// The items of the list, each a view into it.
std::vector<std::string> Entries(const HistoryList& list) {
  std::vector<std::string> entries;
  const std::uint16_t count = ItemCount(Bytes(list.text), kComma);
  ListCursor cursor{Bytes(list.text), kComma};
  for (std::uint16_t i = 0; i < count; ++i) {
    const StrDesc item = NextItem(&cursor);
    entries.emplace_back(item.ptr, item.len);
  }
  return entries;
}

// Says in a box that the folder cannot be kept as a Goto entry.
void RefuseFolder(StrDesc folder, StrDesc why) {
  const AreaMark mark = MarkArea();
  const StrDesc parts[] = {Lit("The folder "), folder, why};
  (void)ShowMessageBox(ConcatParts(parts, 3), kGotoMenuTitle, kBoxInfo);
  ReleaseArea(mark);
}

// An entry holding a NUL byte names no folder pair: split at the NUL, it
// would open other folders than the ones it was written with.
bool UsableEntry(StrDesc entry) { return FindChar(entry, '\0', kPlain) == kNotFound; }

}  // namespace

// The two folders of an opened entry: split at its commas plainly. An
// apostrophe is common in a folder's name ("O'Brien") and must not hide the
// comma; a folder holding a comma is never stored.
StrDesc PairFolder(StrDesc entry, std::uint16_t n) { return Item(entry, kNul, n); }

StrDesc EntryLabel(StrDesc item) {
  const AreaMark mark = MarkArea();
  return KeepResult(mark, ReplaceAll(NormaliseToken(item), Lit(","), Lit("\t"), kPlain));
}

void LoadHistory(const HistoryHost& host, HistoryList* list) {
  host.clear_pair(host.context);
  host.clear_items(host.context);
  const AreaMark mark = MarkArea();
  const StrDesc path = HistoryPath();
  // No history yet is no failure: a missing file is not read at all, so that
  // it leaves nothing in the error state or the detail log for the next box.
  const bool present = EntryAttributes(path) != kErrFileNotFound;
  const StrDesc read = present ? ReadTextFileJoined(path, Lit(",")) : EmptyDesc();
  std::string text = read.ptr != nullptr ? std::string(read.ptr, read.len) : std::string();
  // A file that is there but cannot be read (too large, no permission) must
  // survive: an edit would otherwise replace it with what little is known.
  list->unreadable = present && read.ptr == nullptr;
  ReleaseArea(mark);
  // A line break after the last line (a file written by hand) is no entry.
  while (!text.empty() && text.back() == ',') text.pop_back();
  list->text = text;
  const std::vector<std::string> entries = Entries(*list);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const AreaMark item_mark = MarkArea();
    const StrDesc label = EntryLabel(Bytes(entries[i]));
    const int id = kGotoBase + static_cast<int>(i) + 1;
    const bool routed = id <= kGotoRoutedLast && UsableEntry(Bytes(entries[i]));
    host.insert_item(host.context, routed ? id : kGotoInertItem,
                     label.ptr != nullptr ? label : EmptyDesc());
    ReleaseArea(item_mark);
  }
}

void GotoEntry(const HistoryHost& host, const HistoryList& list, int id) {
  const AreaMark mark = MarkArea();
  const int n = id - kGotoBase;
  const StrDesc item = n >= 1 && n <= 65535
                           ? Item(Bytes(list.text), kComma, static_cast<std::uint16_t>(n))
                           : EmptyDesc();
  StrDesc entry = NormaliseToken(item);
  // No room to open it, or an entry that names no pair: two empty folders.
  if (entry.ptr == nullptr || !UsableEntry(entry)) entry = EmptyDesc();
  (void)SetSetting(kSettingCurrentGotoEntry, static_cast<std::uint16_t>(n < 0 ? 0 : n));
  // Copies: FillViews may replace what the views point into.
  // The comma made a NUL, so that the plain list walk splits the pair.
  StrDesc pair = ReplaceAll(entry, Lit(","), StrDesc{"\0", 1}, kPlain);
  if (pair.ptr == nullptr) pair = EmptyDesc();
  const StrDesc left_item = PairFolder(pair, 1), right_item = PairFolder(pair, 2);
  const std::string left(left_item.ptr, left_item.len), right(right_item.ptr, right_item.len);
  ReleaseArea(mark);
  host.fill_views(host.context, Bytes(left), Bytes(right));
}

void EditHistory(const HistoryHost& host, HistoryList* list, std::uint8_t kind) {
  const std::uint16_t s = GetSetting(kSettingCurrentGotoEntry);
  if (kind != kEditInsertCurrent && s == 0) {
    (void)ShowMessageBox(kChooseEntryText, kGotoMenuTitle, kBoxInfo);
    return;
  }
  if (list->unreadable) {
    const AreaMark mark = MarkArea();
    const StrDesc parts[] = {Lit("The Goto history "), HistoryPath(),
                             Lit(" cannot be read; it is left as it is.")};
    (void)ShowMessageBox(ConcatParts(parts, 3), kGotoMenuTitle, kBoxInfo);
    ReleaseArea(mark);
    return;
  }
  std::vector<std::string> entries = Entries(*list);
  std::size_t c = entries.size();
  std::uint16_t next = s;
  std::string new_entry;
  bool rewrite = s != 0;
  const AreaMark mark = MarkArea();
  switch (kind) {
    case kEditInsertCurrent: {
      const StrDesc left = host.left_folder(host.context);
      const StrDesc right = host.right_folder(host.context);
      // The comma is the only separator of the two folders and a line break
      // ends an entry: a folder holding either would open the wrong folders,
      // so it is not stored.
      for (const StrDesc folder : {left, right}) {
        if (FindAnyOf(folder, Lit(",\r\n"), kPlain) != kNotFound) {
          RefuseFolder(folder,
                       Lit(" holds a comma or a line break and cannot be kept as a Goto entry."));
          ReleaseArea(mark);
          return;
        }
      }
      const StrDesc parts[] = {left, Lit(","), right};
      const StrDesc quoted = Quote(ConcatParts(parts, 3), '\'');
      if (quoted.ptr == nullptr) {
        const StrDesc both[] = {left, Lit(" and "), right};
        RefuseFolder(ConcatParts(both, 3),
                     Lit(" hold both kinds of quote between them and cannot be kept as a Goto "
                         "entry."));
        ReleaseArea(mark);
        return;
      }
      new_entry.assign(quoted.ptr, quoted.len);
      entries.insert(entries.begin(), new_entry);
      ++c;
      next = 1;
      rewrite = true;
      break;
    }
    case kEditMoveDown:
      if (s + 1u > c) {
        rewrite = false;
      } else {
        std::swap(entries[s - 1], entries[s]);
        next = static_cast<std::uint16_t>(s + 1);
      }
      break;
    case kEditMoveUp:
      if (s == 1 || s > c) {
        rewrite = false;
      } else {
        std::swap(entries[s - 2], entries[s - 1]);
        next = static_cast<std::uint16_t>(s - 1);
      }
      break;
    case kEditDelete:
      if (s <= c) {
        entries.erase(entries.begin() + (s - 1));
        --c;
        if (s > c) next = static_cast<std::uint16_t>(s - 1);
      }
      break;
    default:
      rewrite = false;
      break;
  }
  ReleaseArea(mark);
  if (rewrite) {
    // The whole new content first, then one replacing write: a failure
    // leaves the old file as it was. The bytes are those an entry-by-entry
    // rewrite would leave: entry 1, then CR LF and every later entry that is
    // not the one inserted.
    std::string content;
    for (std::size_t i = 0; i < c; ++i) {
      if (i != 0 && entries[i] == new_entry) continue;
      if (i != 0) content += "\r\n";
      content += entries[i];
    }
    const AreaMark write_mark = MarkArea();
    if (content.size() <= 65535) {
      (void)WriteFileAll(HistoryPath(), kReplaceFile, content.data(),
                         static_cast<std::uint16_t>(content.size()));
    }
    ReleaseArea(write_mark);
  }
  LoadHistory(host, list);
  GotoEntry(host, *list, kGotoBase + next);
}
