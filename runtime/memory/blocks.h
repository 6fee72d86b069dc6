// Tracked memory blocks: every long-lived block of the runtime is registered
// in the BlockRegistry with the OwnerTag of its owner, carries four guard
// bytes (NUL, '!', '!', NUL) behind its end and can be freed only by that
// owner. None of these operations uses the StringArea.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "runtime/memory/runtime_memory.h"

// Owner tags of the system's blocks.
inline constexpr OwnerTag kOwnerNone = 0;
inline constexpr OwnerTag kOwnerVariableStore = 1;
inline constexpr OwnerTag kOwnerStringArea = 9;
inline constexpr OwnerTag kOwnerShutdownBlocks = 10;
inline constexpr OwnerTag kOwnerSortedTable = 12;
inline constexpr OwnerTag kOwnerTypedLists = 15;

inline constexpr std::size_t kGuardSize = 4;
inline constexpr unsigned char kGuardPattern[kGuardSize] = {0x00, 0x21, 0x21, 0x00};
inline constexpr unsigned char kNoFill = 255;  // AllocBlock leaves the bytes as the heap gave them
inline constexpr std::uint16_t kKeepCurrent = 65535;  // ConfigureRuntimeMemory keeps the field

// A small growable buffer on a tracked block. Once status is set, appends do nothing.
struct BufferRecord {
  unsigned char* pointer;  // null when the heap refused the block
  std::uint16_t used;
  std::uint16_t capacity;
  StatusWord status;
};
static_assert(std::is_trivially_copyable_v<BufferRecord>);

// Sets the area size (KiB = levels) and the block capacity; 65535 keeps a field.
void ConfigureRuntimeMemory(std::uint16_t area_size, std::uint16_t block_capacity);

// Creates the registry (block capacity entries), then the StringArea.
// 124 when already initialised, 145 when the heap refuses the table, else the
// status of InitStringArea.
[[nodiscard]] StatusWord InitBlockRegistry();

// Registers a block of size bytes (plus the guard) in the lowest free slot and
// fills it with fill unless fill is 255. Returns the handle, or 65535 when no
// slot is free; when the heap refuses, the handle's entry keeps a null pointer.
[[nodiscard]] BlockHandle AllocBlock(OwnerTag owner, std::uint32_t size, unsigned char fill);

// A new zero-filled block of the owner, or null (no slot, or heap refused).
[[nodiscard]] void* AllocBlockPtr(OwnerTag owner, std::uint32_t size);

// 0 and the entry copied into *entry, or 163 when the handle is not below the block count.
[[nodiscard]] StatusWord BlockAt(BlockHandle handle, BlockEntry* entry);

// Frees the block of the handle: 163 bad handle, 180 guard overwritten,
// 141 wrong owner (in that order; the block then stays), else 0.
[[nodiscard]] StatusWord FreeBlockEntry(OwnerTag owner, BlockHandle handle);

// Frees the block that holds this pointer: 154 when no entry holds it (or it
// is null), else as FreeBlockEntry.
[[nodiscard]] StatusWord FreeBlock(OwnerTag owner, const void* pointer);

// Copies source into the tracked block at offset. 168, with nothing written,
// when no entry holds the pointer or offset + length passes the block's end.
[[nodiscard]] StatusWord WriteBlock(void* block, std::uint16_t offset, StrDesc source);

// A new zero-filled block of new_size holding the first old_length bytes of
// the old block, which is freed. Null when the new block cannot be had or the
// old length does not fit; the old block then stays as it was.
[[nodiscard]] void* ReallocBlock(OwnerTag owner, void* old_pointer, std::uint16_t old_length,
                                 std::uint16_t new_size);

// A buffer of the given capacity; status 145 when the block cannot be had.
[[nodiscard]] BufferRecord NewBuffer(OwnerTag owner, std::uint16_t capacity);

// The buffer moved to a block of new_capacity with all of its old capacity's
// bytes; status 145 when that block cannot be had. Store the result over the old record.
[[nodiscard]] BufferRecord GrowBuffer(OwnerTag owner, std::uint16_t new_capacity,
                                      BufferRecord record);

// Appends n bytes (aligned to 4 first when align is set) and returns where they
// went, or null on failure (the record's status then says why, 168 past the
// capacity). A null source only reserves the bytes, without a bounds test.
[[nodiscard]] unsigned char* AppendToBuffer(OwnerTag owner, BufferRecord* record,
                                            const void* source, std::uint16_t n, bool align);

// Returns the owner of the highest-numbered block still in use (0 if none).
// Without force and with blocks in use nothing is freed; otherwise every block
// and the table are freed and the block count becomes 0.
[[nodiscard]] OwnerTag ReleaseAllBlocks(bool force);

// Heap used by the registry; tests swap it to make the heap refuse blocks.
struct BlockHeap {
  void* (*allocate)(std::size_t size);
  void (*release)(void* pointer);
};
// Installs a heap (null restores the C library's) and returns the previous one.
BlockHeap SetBlockHeap(const BlockHeap* heap);
