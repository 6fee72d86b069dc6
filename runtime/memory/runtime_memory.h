// RuntimeMemory: the one global record of the memory core, holding the
// BlockRegistry's fields and the StringArea. All fields are plain data.
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/memory/str_desc.h"

using OwnerTag = std::uint16_t;
using BlockHandle = std::uint16_t;
using AreaMark = std::uint16_t;

// One slot of the BlockRegistry; a null pointer means the slot is free.
struct BlockEntry {
  OwnerTag owner;
  std::uint32_t size;
  unsigned char* pointer;
};
static_assert(std::is_trivially_copyable_v<BlockEntry>);

// The stack of temporary strings: a data block for the bytes and a level
// block holding the LevelTable (one StrDesc per level). Invariant: top =
// pointer of entry(current level) + align4(its length), inside the data block.
struct StringArea {
  BlockHandle data_block;
  BlockHandle level_block;
  std::uint16_t level_count;
  std::uint16_t current_level;
  char* top;
  std::uint32_t size;
};
static_assert(std::is_trivially_copyable_v<StringArea>);

inline constexpr std::uint16_t kDefaultBlockCapacity = 64;
inline constexpr std::uint16_t kDefaultAreaSizeKiB = 128;
inline constexpr std::uint32_t kAreaBytesPerLevel = 1024;

struct RuntimeMemory {
  std::uint16_t block_capacity;
  std::uint16_t area_size;  // KiB of the StringArea, also its number of levels
  BlockEntry* block_table;
  std::uint16_t block_count;  // 0 while the registry is not initialised
  StringArea area;
};
static_assert(std::is_trivially_copyable_v<RuntimeMemory>);

// The process-wide record; starts with capacity 64 and area size 128.
extern RuntimeMemory g_runtime_memory;
