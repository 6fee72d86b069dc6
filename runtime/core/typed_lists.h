// Typed lists: 24 numbered arrays of fixed-size elements, each a header and
// zero-filled storage in tracked blocks (owner 15). List 7 is the
// SettingsList of 16-bit settings.
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/memory/status.h"

inline constexpr std::uint16_t kTypedListCount = 24;
inline constexpr std::uint16_t kSettingsList = 7;
inline constexpr std::uint16_t kShutdownBlocksList = 6;

// Settings read or written by the system.
inline constexpr std::uint16_t kSettingFlags = 0;
inline constexpr std::uint16_t kSettingFlagDateOption = 0x40;
inline constexpr std::uint16_t kSettingMaskDecimals = 32;
inline constexpr std::uint16_t kSettingCurrentGotoEntry = 41;

struct TypedList {
  unsigned char* storage;
  std::uint16_t element_size;
  std::uint16_t element_count;
};
static_assert(std::is_trivially_copyable_v<TypedList>);

// Makes the table of 24 empty list references: 0, or 176 when its block
// cannot be had. Called again it keeps the existing table and returns 0.
[[nodiscard]] StatusWord CreateTypedLists();

// Stores size bytes of data at index (creating the list with that element
// size, growing it zero-filled to index + 1). The element's address, or null
// when the table or storage is missing, the size differs from the list's, or
// the index is 65535.
void* SetElement(std::uint16_t list, std::uint16_t index, const void* data, std::uint16_t size);

// The element's address, or null when the list or the index does not exist.
[[nodiscard]] void* ElementAt(std::uint16_t list, std::uint16_t index);

// The list's header, or null when it does not exist.
[[nodiscard]] const TypedList* ListAt(std::uint16_t list);

// Gives back every list and the table.
void DestroyTypedLists();

// The 16-bit setting, 0 when absent.
[[nodiscard]] std::uint16_t GetSetting(std::uint16_t index);
// Stores the setting; returns the value the setting now holds (the old one
// when the list could not grow).
std::uint16_t SetSetting(std::uint16_t index, std::uint16_t value);
// True when the setting shares a bit with mask.
[[nodiscard]] bool TestSetting(std::uint16_t index, std::uint16_t mask);
