// Registry values named by one text path: root name, "\", subkey, "\", value
// name (a path that ends with "\" names the key's default value). Read-only.
//
// Linux has no registry; a small stand-in answers the two key families the
// viewing actions ask for, and nothing else:
//   HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.EXT\OpenWithList
//     value "a": "xdg-open", the desktop's opener, for any extension EXT;
//   HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\PROG
//     default value: the full path at which a PATH lookup finds the program PROG.
// A value is at most 1,024 bytes as the platform stores text (UTF-16 with its
// terminating NUL); a longer one cannot be read.
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/memory/str_desc.h"

// Root names, found by exact comparison; item n is root n.
inline constexpr StrDesc kRegistryRoots =
    Lit("HKEY_CLASSES_ROOT,HKEY_CURRENT_CONFIG,HKEY_CURRENT_USER,HKEY_LOCAL_MACHINE,HKEY_USERS");

// Key handles: the predefined roots, and the keys the stand-in opens.
using RegistryKey = std::uint32_t;
inline constexpr RegistryKey kKeyNone = 0;
inline constexpr RegistryKey kKeyClassesRoot = 0x80000000u;
inline constexpr RegistryKey kKeyCurrentUser = 0x80000001u;
inline constexpr RegistryKey kKeyLocalMachine = 0x80000002u;
inline constexpr RegistryKey kKeyUsers = 0x80000003u;
inline constexpr RegistryKey kKeyCurrentConfig = 0x80000005u;
inline constexpr RegistryKey kKeyOpenWithList = 1;  // an extension's Open-with list
inline constexpr RegistryKey kKeyAppPath = 2;       // a program's App Paths key

// Statuses of a registry path.
inline constexpr StatusWord kRegistryBadRoot = kErrSintaxError;  // 147: root name not in the list
inline constexpr StatusWord kRegistryNoKey = kErrFileNotFound;   // 164: the key cannot be opened

inline constexpr std::uint16_t kRegistryValueBytes = 1024;

struct RegistryPath {
  RegistryKey root;    // the root's key; after OpenRegistryKey the opened key
  StrDesc subkey;      // views of the path text
  StrDesc value_name;  // empty for the default value, or without the value flag
  StatusWord status;   // 0 = usable
};
static_assert(std::is_trivially_copyable_v<RegistryPath>);

// The 1-based number in kRegistryRoots of the text's first "\"-separated
// part, or 0.
[[nodiscard]] std::uint16_t RegistryRootIndex(StrDesc text);

// The path split into its root key, subkey and (with with_value) value name;
// status 147 and key 0 for a root name not in the list. Pushes nothing.
[[nodiscard]] RegistryPath ParseRegistryPath(StrDesc path, bool with_value);

// The parsed path with its key opened: status 0 and the key in root, or 164
// (also for a root not in the list, which opens nothing). Pushes nothing.
[[nodiscard]] RegistryPath OpenRegistryKey(StrDesc path, bool with_value);

// The value the path names, as one new string; the ErrorDescriptor 65535
// (nothing pushed) when the root, the key or the value is missing or the
// value is longer than 1,024 bytes.
[[nodiscard]] StrDesc ReadRegistryText(StrDesc path);

// The full path at which a PATH lookup finds the program (a regular file
// someone may execute), as one new string; empty text when the name is
// empty, holds "/" or is found nowhere. PATH unset means "/bin:/usr/bin".
[[nodiscard]] StrDesc FindProgramOnPath(StrDesc program);
