// The main window's resources as plain tables: dialog template 102, menu
// 130, string 101 and icon 128. The window is built from them; geometry is
// in dialog units.
#pragma once

#include <cstddef>
#include <cstdint>

// Control ids.
inline constexpr int kIdLeftList = 1001;
inline constexpr int kIdRightList = 1002;
inline constexpr int kIdLeftPath = 1003;
inline constexpr int kIdRightPath = 1004;
inline constexpr int kIdBrowseLeft = 1005;
inline constexpr int kIdBrowseRight = 1006;
inline constexpr int kIdCompare = 1011;
inline constexpr int kIdCopyRight = 1012;
inline constexpr int kIdCopyLeft = 1013;
inline constexpr int kIdDeleteLeft = 1014;
inline constexpr int kIdDeleteRight = 1015;

// Command ids.
inline constexpr int kIdAbout = 16;
inline constexpr int kIdGotoFirst = 31000;
inline constexpr int kIdGotoEntry1 = 31001;
inline constexpr int kIdGotoLast = 31100;
inline constexpr int kIdExit = 32772;
inline constexpr int kIdInsertCurrent = 32773;
inline constexpr int kIdMoveDown = 32774;
inline constexpr int kIdMoveUp = 32775;
inline constexpr int kIdDeleteEntry = 32776;
inline constexpr int kIdAllFilesLeft = 32777;
inline constexpr int kIdAllFilesRight = 32778;
inline constexpr int kIdRestoreEquals = 32779;
inline constexpr int kIdExportEquals = 32780;
inline constexpr int kIdExportNotEquals = 32781;
inline constexpr int kIdHelp = 57670;

inline constexpr int kDialogMain = 102;
inline constexpr int kMenuMain = 130;
inline constexpr int kStringAboutItem = 101;
inline constexpr int kIconMain = 128;

enum class ControlKind : std::uint8_t { kListBox, kEdit, kButton };

// Window styles of the controls, as the template gives them.
inline constexpr std::uint32_t kStyleNotify = 0x0001;  // list box: selection and double clicks
inline constexpr std::uint32_t kStyleUnsorted = 0x0002;
inline constexpr std::uint32_t kStyleVScroll = 0x0004;
inline constexpr std::uint32_t kStyleHScroll = 0x0008;
inline constexpr std::uint32_t kStyleBorder = 0x0010;
inline constexpr std::uint32_t kStyleNoIntegralHeight = 0x0020;
inline constexpr std::uint32_t kStyleReadOnly = 0x0040;  // edit box
inline constexpr std::uint32_t kStyleAutoHScroll = 0x0080;
inline constexpr std::uint32_t kStyleTabStop = 0x0100;

struct ControlTemplate {
  int id;
  ControlKind kind;
  std::uint32_t styles;
  int x, y, width, height;
  const char* text;
};

struct DialogTemplate {
  int id;
  int width, height;
  const char* title;
  const char* font_face;  // the face named by the template; the fixed-pitch system font stands in
  int point_size;
  const ControlTemplate* controls;  // in tab order
  std::size_t control_count;
};

// A menu item: a command (id != 0) or a popup with items; nullptr text is a separator.
struct MenuTemplate {
  const char* text;
  int id;
  const MenuTemplate* items;
  std::size_t item_count;
};

[[nodiscard]] const DialogTemplate& MainDialogTemplate();
// The items of the menu bar.
[[nodiscard]] const MenuTemplate* MainMenuTemplate(std::size_t* count);
// A string resource ("" when there is none).
[[nodiscard]] const char* ResourceString(int id);
// The SVG of an icon resource ("" when there is none).
[[nodiscard]] const char* IconSvg(int id);
