#include "resources/resources.h"

namespace {

constexpr std::uint32_t kListStyles = kStyleNotify | kStyleUnsorted | kStyleVScroll |
                                      kStyleHScroll | kStyleBorder | kStyleNoIntegralHeight |
                                      kStyleTabStop;
constexpr std::uint32_t kEditStyles =
    kStyleReadOnly | kStyleAutoHScroll | kStyleBorder | kStyleTabStop;
constexpr std::uint32_t kButtonStyles = kStyleTabStop;

constexpr ControlTemplate kControls[] = {
    {kIdLeftList, ControlKind::kListBox, kListStyles, 7, 23, 286, 252, ""},
    {kIdRightList, ControlKind::kListBox, kListStyles, 297, 23, 287, 252, ""},
    {kIdLeftPath, ControlKind::kEdit, kEditStyles, 7, 7, 261, 14, ""},
    {kIdBrowseLeft, ControlKind::kButton, kButtonStyles, 270, 7, 21, 14, "..."},
    {kIdRightPath, ControlKind::kEdit, kEditStyles, 298, 7, 261, 14, ""},
    {kIdBrowseRight, ControlKind::kButton, kButtonStyles, 562, 7, 21, 14, "..."},
    {kIdCompare, ControlKind::kButton, kButtonStyles, 255, 283, 77, 14, "Compare"},
    {kIdCopyRight, ControlKind::kButton, kButtonStyles, 173, 283, 77, 14, ">>"},
    {kIdCopyLeft, ControlKind::kButton, kButtonStyles, 337, 283, 77, 14, "<<"},
    {kIdDeleteLeft, ControlKind::kButton, kButtonStyles, 7, 283, 77, 14, "Delete"},
    {kIdDeleteRight, ControlKind::kButton, kButtonStyles, 507, 283, 77, 14, "Delete"},
};

constexpr DialogTemplate kMainDialog = {
    kDialogMain,   591, 304,       "Vantoro",
    "Courier New", 8,   kControls, sizeof kControls / sizeof kControls[0]};

constexpr MenuTemplate kGotoItems[] = {{"Salir", kIdExit, nullptr, 0}};
constexpr MenuTemplate kMenuItems[] = {
    {"Insert Current", kIdInsertCurrent, nullptr, 0},
    {"Move Down", kIdMoveDown, nullptr, 0},
    {"Move Up", kIdMoveUp, nullptr, 0},
    {"Delete", kIdDeleteEntry, nullptr, 0},
};
constexpr MenuTemplate kSincroItems[] = {
    {"All Files >>", kIdAllFilesRight, nullptr, 0},
    {"All Files <<", kIdAllFilesLeft, nullptr, 0},
    {"Restore Equals <<", kIdRestoreEquals, nullptr, 0},
};
constexpr MenuTemplate kToolsItems[] = {
    {"Export Equals", kIdExportEquals, nullptr, 0},
    {"Export Not Equals", kIdExportNotEquals, nullptr, 0},
};
constexpr MenuTemplate kMenuBar[] = {
    {"Go to", 0, kGotoItems, 1},         {"Menu", 0, kMenuItems, 4},
    {"Fast Sincro", 0, kSincroItems, 3}, {"Tools", 0, kToolsItems, 2},
    {"About", kIdAbout, nullptr, 0},
};

// Two folders side by side with the arrows between them.
constexpr const char* kIconSvg = R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <rect x="2" y="8" width="27" height="48" rx="4" fill="#2f6db5"/>
  <rect x="35" y="8" width="27" height="48" rx="4" fill="#3a9a5b"/>
  <rect x="6" y="16" width="19" height="3" rx="1.5" fill="#ffffff" opacity="0.9"/>
  <rect x="6" y="24" width="19" height="3" rx="1.5" fill="#ffffff" opacity="0.9"/>
  <rect x="6" y="32" width="19" height="3" rx="1.5" fill="#ffffff" opacity="0.9"/>
  <rect x="39" y="16" width="19" height="3" rx="1.5" fill="#ffffff" opacity="0.9"/>
  <rect x="39" y="24" width="19" height="3" rx="1.5" fill="#ffffff" opacity="0.9"/>
  <rect x="39" y="40" width="19" height="3" rx="1.5" fill="#ffffff" opacity="0.9"/>
  <circle cx="32" cy="46" r="10" fill="#f2a93b" stroke="#ffffff" stroke-width="2"/>
  <path d="M26 43 h10 l-3 -3 M38 49 h-10 l3 3" fill="none" stroke="#ffffff"
        stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>
</svg>
)svg";

}  // namespace

const DialogTemplate& MainDialogTemplate() { return kMainDialog; }

const MenuTemplate* MainMenuTemplate(std::size_t* count) {
  *count = sizeof kMenuBar / sizeof kMenuBar[0];
  return kMenuBar;
}

const char* ResourceString(int id) { return id == kStringAboutItem ? "&Acerca de Vantoro..." : ""; }

const char* IconSvg(int id) { return id == kIconMain ? kIconSvg : ""; }
