// The Goto history: bookmarked folder pairs kept in historic.txt in the start
// folder, one entry a line ('left,right', CR LF between lines, none after the
// last), shown as "Go to" menu items 31001 upward before "Salir". The window
// takes part through a HistoryHost; this code never touches the toolkit.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/memory/str_desc.h"

inline constexpr int kGotoBase = 31000;
inline constexpr int kGotoRoutedLast = 31100;  // entries 1 to 100 can be opened
// The menu id of an entry that is shown but runs nothing: one past 100 (its
// id 31000 + n would belong to another command from 1,772 on) or one that
// holds a NUL byte (it names no folder pair).
inline constexpr int kGotoInertItem = 0;
inline constexpr StrDesc kHistoryFile = Lit("historic.txt");

// The edit commands.
inline constexpr std::uint8_t kEditInsertCurrent = 0;
inline constexpr std::uint8_t kEditMoveDown = 1;
inline constexpr std::uint8_t kEditMoveUp = 2;
inline constexpr std::uint8_t kEditDelete = 3;

inline constexpr StrDesc kGotoMenuTitle = Lit("Goto Menu");
inline constexpr StrDesc kChooseEntryText = Lit("Please, choose a Goto entry or Insert Current");

// What the history asks of the window.
struct HistoryHost {
  void* context;
  // Forgets the folders shown, so that the next FillViews lists again.
  void (*clear_pair)(void* context);
  // Removes every "Go to" item that insert_item put in.
  void (*clear_items)(void* context);
  // Inserts a "Go to" item before "Salir": its label is runtime text. An
  // item of id kGotoInertItem is shown and runs nothing.
  void (*insert_item)(void* context, int id, StrDesc label);
  // Shows the comparison of two folders (exact bytes).
  void (*fill_views)(void* context, StrDesc left, StrDesc right);
  // The exact bytes of the folders shown.
  StrDesc (*left_folder)(void* context);
  StrDesc (*right_folder)(void* context);
};

// The history: the file's lines joined by commas, each line with its quotes,
// in the file's exact bytes.
struct HistoryList {
  std::string text;
  bool unreadable = false;  // the file exists but could not be read: it is never rewritten
};

// Reads historic.txt into *list and rebuilds the menu items (the old ones
// removed first); forgets the pair shown. A missing file gives no entries; a
// file that exists but cannot be read gives none either and is marked, so
// that no edit overwrites it.
void LoadHistory(const HistoryHost& host, HistoryList* list);

// Opens entry id - 31000 (both folders empty for a number without entry, or
// for an entry holding a NUL byte) and makes it the current entry (setting 41).
void GotoEntry(const HistoryHost& host, const HistoryList& list, int id);

// Insert Current (0), Move Down (1), Move Up (2) or Delete (3); rewrites the
// file in one replacing write, then reloads and opens the next entry. Without
// a current entry the three moves only say so in a box. A pair that this
// format cannot hold (a folder with a comma or a line break, or quotes of both
// kinds) is not inserted, and a box names the folder; an unreadable file is
// left as it is, and a box names it.
void EditHistory(const HistoryHost& host, HistoryList* list, std::uint8_t kind);

// The menu label of an item: the entry without its quotes, the comma between
// the two folders made a TAB. One new string.
[[nodiscard]] StrDesc EntryLabel(StrDesc item);
