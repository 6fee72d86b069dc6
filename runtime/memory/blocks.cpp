#include "runtime/memory/blocks.h"

#include <cstdlib>
#include <cstring>

#include "runtime/memory/string_area.h"

RuntimeMemory g_runtime_memory = {kDefaultBlockCapacity, kDefaultAreaSizeKiB, nullptr, 0, {}};

namespace {

BlockHeap g_heap = {&std::malloc, &std::free};

void WriteGuard(unsigned char* behind) { std::memcpy(behind, kGuardPattern, kGuardSize); }

bool GuardIntact(const unsigned char* behind) {
  return std::memcmp(behind, kGuardPattern, kGuardSize) == 0;
}

// Index of the entry holding the pointer, or kNoHandle.
BlockHandle FindEntry(const void* pointer) {
  if (pointer == nullptr) return kNoHandle;
  for (std::uint16_t i = 0; i < g_runtime_memory.block_count; ++i) {
    if (g_runtime_memory.block_table[i].pointer == pointer) return i;
  }
  return kNoHandle;
}

}  // namespace

BlockHeap SetBlockHeap(const BlockHeap* heap) {
  BlockHeap previous = g_heap;
  g_heap = heap != nullptr ? *heap : BlockHeap{&std::malloc, &std::free};
  return previous;
}

void ConfigureRuntimeMemory(std::uint16_t area_size, std::uint16_t block_capacity) {
  if (area_size != kKeepCurrent) g_runtime_memory.area_size = area_size;
  if (block_capacity != kKeepCurrent) g_runtime_memory.block_capacity = block_capacity;
}

StatusWord InitBlockRegistry() {
  RuntimeMemory& rm = g_runtime_memory;
  if (rm.block_count != 0) return kErrUndefWarning;
  if (rm.block_capacity == 0) return kErrBadInputData;
  const std::size_t table_bytes = std::size_t{rm.block_capacity} * sizeof(BlockEntry);
  auto* table = static_cast<unsigned char*>(g_heap.allocate(table_bytes + kGuardSize));
  if (table == nullptr) return kErrOutOfMemory;
  std::memset(table, 0, table_bytes);
  WriteGuard(table + table_bytes);
  rm.block_table = reinterpret_cast<BlockEntry*>(table);
  rm.block_count = rm.block_capacity;
  return InitStringArea(rm.area_size);
}

BlockHandle AllocBlock(OwnerTag owner, std::uint32_t size, unsigned char fill) {
  RuntimeMemory& rm = g_runtime_memory;
  for (std::uint16_t i = 0; i < rm.block_count; ++i) {
    BlockEntry& e = rm.block_table[i];
    if (e.pointer != nullptr) continue;
    e.owner = owner;
    e.size = size;
    auto* p = static_cast<unsigned char*>(g_heap.allocate(std::size_t{size} + kGuardSize));
    if (p != nullptr) {
      WriteGuard(p + size);
      if (fill != kNoFill) std::memset(p, fill, size);
    }
    e.pointer = p;
    return i;
  }
  return kNoHandle;
}

void* AllocBlockPtr(OwnerTag owner, std::uint32_t size) {
  BlockHandle h = AllocBlock(owner, size, 0);
  if (h == kNoHandle) return nullptr;
  return g_runtime_memory.block_table[h].pointer;
}

StatusWord BlockAt(BlockHandle handle, BlockEntry* entry) {
  if (handle >= g_runtime_memory.block_count) return kErrBadInputData;
  if (entry != nullptr) *entry = g_runtime_memory.block_table[handle];
  return kOk;
}

StatusWord FreeBlockEntry(OwnerTag owner, BlockHandle handle) {
  if (handle >= g_runtime_memory.block_count) return kErrBadInputData;
  BlockEntry& e = g_runtime_memory.block_table[handle];
  // A free slot holds no block: there is nothing to check or free.
  if (e.pointer == nullptr) return kErrMemoryAllocErr;
  if (!GuardIntact(e.pointer + e.size)) return kErrMemoryOverflow;
  if (e.owner != owner) return kErrInternalError;
  g_heap.release(e.pointer);
  e.pointer = nullptr;
  return kOk;
}

StatusWord FreeBlock(OwnerTag owner, const void* pointer) {
  BlockHandle h = FindEntry(pointer);
  if (h == kNoHandle) return kErrMemoryAllocErr;
  return FreeBlockEntry(owner, h);
}

StatusWord WriteBlock(void* block, std::uint16_t offset, StrDesc source) {
  BlockHandle h = FindEntry(block);
  if (h == kNoHandle) return kErrDataOutBound;
  if (StatusWord st = DescStatus(source); st != kOk) return st;
  const BlockEntry& e = g_runtime_memory.block_table[h];
  // The end is computed in 32 bits, so an offset near 65535 cannot wrap past the check.
  if (std::uint32_t{offset} + source.len > e.size) return kErrDataOutBound;
  if (source.len != 0) std::memmove(e.pointer + offset, source.ptr, source.len);
  return kOk;
}

void* ReallocBlock(OwnerTag owner, void* old_pointer, std::uint16_t old_length,
                   std::uint16_t new_size) {
  void* fresh = AllocBlockPtr(owner, new_size);
  if (fresh == nullptr) return nullptr;
  if (old_pointer == nullptr) return fresh;
  StrDesc old{static_cast<const char*>(old_pointer), old_length};
  if (WriteBlock(fresh, 0, old) == kOk && FreeBlock(owner, old_pointer) == kOk) return fresh;
  // The old block stays as it was; the new one goes back.
  (void)FreeBlock(owner, fresh);
  return nullptr;
}

BufferRecord NewBuffer(OwnerTag owner, std::uint16_t capacity) {
  BufferRecord r{};
  r.pointer = static_cast<unsigned char*>(AllocBlockPtr(owner, capacity));
  r.used = 0;
  r.capacity = capacity;
  r.status = r.pointer == nullptr ? kErrOutOfMemory : kOk;
  return r;
}

BufferRecord GrowBuffer(OwnerTag owner, std::uint16_t new_capacity, BufferRecord record) {
  void* p = ReallocBlock(owner, record.pointer, record.capacity, new_capacity);
  if (p == nullptr) {
    // The old block is still there and still the buffer's; only the status changes.
    record.status = kErrOutOfMemory;
    return record;
  }
  record.pointer = static_cast<unsigned char*>(p);
  record.capacity = new_capacity;
  record.status = kOk;
  return record;
}

unsigned char* AppendToBuffer(OwnerTag /*owner*/, BufferRecord* record, const void* source,
                              std::uint16_t n, bool align) {
  if (record->status != kOk) return nullptr;
  std::uint32_t used = record->used;
  if (align) used = (used + 3u) & ~3u;
  // A reservation (null source) is bounds-tested like a copy: the caller will
  // write into the reserved bytes, so they must lie inside the block.
  if (used + n > record->capacity) {
    record->status = kErrDataOutBound;
    return nullptr;
  }
  record->used = static_cast<std::uint16_t>(used);
  if (source != nullptr) {
    record->status =
        WriteBlock(record->pointer, record->used, StrDesc{static_cast<const char*>(source), n});
    if (record->status != kOk) return nullptr;
  }
  unsigned char* where = record->pointer + record->used;
  record->used = static_cast<std::uint16_t>(used + n);
  return where;
}

OwnerTag ReleaseAllBlocks(bool force) {
  RuntimeMemory& rm = g_runtime_memory;
  OwnerTag highest = kOwnerNone;
  bool any = false;
  for (std::uint16_t i = rm.block_count; i-- > 0;) {
    if (rm.block_table[i].pointer != nullptr) {
      if (!any) highest = rm.block_table[i].owner;
      any = true;
    }
  }
  if (any && !force) return highest;
  for (std::uint16_t i = rm.block_count; i-- > 0;) {
    if (rm.block_table[i].pointer != nullptr) g_heap.release(rm.block_table[i].pointer);
  }
  if (rm.block_table != nullptr) g_heap.release(rm.block_table);
  rm.block_table = nullptr;
  rm.block_count = 0;
  // The area's blocks are gone with everything else.
  rm.area = StringArea{kNoHandle, kNoHandle, 0, 0, nullptr, 0};
  return highest;
}
