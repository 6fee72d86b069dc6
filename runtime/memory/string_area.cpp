#include "runtime/memory/string_area.h"

#include <cstring>
#include <string>

#include "runtime/memory/blocks.h"
#include "runtime/memory/error_state.h"

ErrorState g_error_state = {0, 0};

namespace {

StringArea& Area() { return g_runtime_memory.area; }

// The area's data block and LevelTable, or false when either block is missing
// (not registered, or its memory was refused or freed).
bool AreaBlocks(unsigned char** data, StrDesc** levels) {
  const StringArea& a = Area();
  BlockEntry d{}, l{};
  if (BlockAt(a.data_block, &d) != kOk || BlockAt(a.level_block, &l) != kOk) return false;
  if (d.pointer == nullptr || l.pointer == nullptr) return false;
  *data = d.pointer;
  *levels = reinterpret_cast<StrDesc*>(l.pointer);
  return true;
}

// Pushes n bytes at the top: the new string is (old top, n).
StatusWord PushBytes(std::uint16_t n) {
  unsigned char* data = nullptr;
  StrDesc* levels = nullptr;
  if (!AreaBlocks(&data, &levels)) return kErrBadInputData;
  StringArea& a = Area();
  if (a.current_level + 1u >= a.level_count) return kErrOutOfMemory;
  // Offsets in 32 bits: the new top must stay strictly before the block's end.
  const std::uint32_t top_offset =
      static_cast<std::uint32_t>(reinterpret_cast<unsigned char*>(a.top) - data);
  if (top_offset + Align4(n) >= a.size) return kErrOutOfMemory;
  ++a.current_level;
  levels[a.current_level] = StrDesc{a.top, n};
  a.top += Align4(n);
  return kOk;
}

}  // namespace

AreaMark MarkArea() { return ReleaseArea(kNotFound); }

AreaMark ReleaseArea(AreaMark m) {
  StringArea& a = Area();
  if (m >= a.level_count || m > a.current_level) return a.current_level;
  unsigned char* data = nullptr;
  StrDesc* levels = nullptr;
  if (!AreaBlocks(&data, &levels)) return a.current_level;
  const StrDesc e = levels[m];
  const auto* start = reinterpret_cast<const unsigned char*>(e.ptr);
  if (start < data || start >= data + a.size) return a.current_level;
  const std::uint32_t offset = static_cast<std::uint32_t>(start - data) + Align4(e.len);
  if (offset >= a.size) return a.current_level;
  a.top = reinterpret_cast<char*>(data) + offset;
  a.current_level = m;
  return a.current_level;
}

StrDesc TopString() {
  unsigned char* data = nullptr;
  StrDesc* levels = nullptr;
  if (!AreaBlocks(&data, &levels)) return ErrorDesc(kErrBadInputData);
  return levels[Area().current_level];
}

StatusWord PushCopy(StrDesc s) {
  if (StatusWord st = DescStatus(s); st != kOk) return st;
  const char* source = s.ptr;  // may lie in released memory at or above the new string
  char* dest = Area().top;
  if (StatusWord st = PushBytes(s.len); st != kOk) return st;
  if (s.len != 0) std::memmove(dest, source, s.len);
  return kOk;
}

StrDesc KeepResult(AreaMark mark, StrDesc s) {
  ReleaseArea(mark);
  if (StatusWord st = DescStatus(s); st != kOk) return ErrorDesc(st);
  if (StatusWord st = PushCopy(s); st != kOk) return ErrorDesc(st);
  return TopString();
}

StatusWord PushConcat(StrDesc a, StrDesc b) {
  if (StatusWord st = DescStatus(a); st != kOk) return st;
  if (StatusWord st = DescStatus(b); st != kOk) return st;
  // A sum past 65,535 would wrap into a short, cut string reported as success.
  if (std::uint32_t{a.len} + b.len > 65535u) return kErrStringTooLong;
  const char* pa = a.ptr;
  const char* pb = b.ptr;
  char* dest = Area().top;
  if (StatusWord st = PushBytes(static_cast<std::uint16_t>(a.len + b.len)); st != kOk) return st;
  // Both sources may lie in released area memory. Copying a first is
  // overlap-safe for a; b is kept aside only when a's copy would overwrite it.
  std::string kept_b;
  if (b.len != 0 && pb >= dest && pb < dest + a.len) {
    kept_b.assign(pb, b.len);
    pb = kept_b.data();
  }
  if (a.len != 0) std::memmove(dest, pa, a.len);
  if (b.len != 0) std::memmove(dest + a.len, pb, b.len);
  return kOk;
}

StatusWord ReserveTop(std::uint16_t n, unsigned char fill) {
  char* dest = Area().top;
  if (StatusWord st = PushBytes(n); st != kOk) return st;
  if (fill != kNoFill && n != 0) std::memset(dest, fill, n);
  return kOk;
}

char* ReserveTopPtr(std::uint16_t n, unsigned char fill) {
  char* dest = Area().top;
  return ReserveTop(n, fill) == kOk ? dest : nullptr;
}

StrDesc ReserveTopDesc(std::uint16_t n, unsigned char fill) {
  StatusWord st = ReserveTop(n, fill);
  return st == kOk ? TopString() : ErrorDesc(st);
}

StrDesc FreeTopSpace() {
  std::uint32_t free_bytes = FreeBytes();
  if (free_bytes > 65535u) free_bytes = 65535u;
  return StrDesc{Area().top, static_cast<std::uint16_t>(free_bytes)};
}

std::uint32_t FreeBytes() {
  unsigned char* data = nullptr;
  StrDesc* levels = nullptr;
  if (!AreaBlocks(&data, &levels)) return 65535u;
  const StringArea& a = Area();
  const std::uint32_t used =
      static_cast<std::uint32_t>(reinterpret_cast<unsigned char*>(a.top) - data);
  return a.size - used - 4u;
}

StatusWord WriteInto(StrDesc destination, std::uint16_t offset, StrDesc source) {
  if (StatusWord st = DescStatus(destination); st != kOk) return st;
  if (StatusWord st = DescStatus(source); st != kOk) return st;
  if (offset >= destination.len) return kOk;
  std::uint16_t n = source.len;
  if (n > destination.len - offset) n = static_cast<std::uint16_t>(destination.len - offset);
  if (n != 0) std::memmove(const_cast<char*>(destination.ptr) + offset, source.ptr, n);
  return kOk;
}

StatusWord InitStringArea(std::uint16_t level_count) {
  StringArea& a = Area();
  a = StringArea{kNoHandle, kNoHandle, 0, 0, nullptr, 0};
  if (level_count == 0) return kErrBadInputData;
  a.level_count = level_count;
  a.size = std::uint32_t{level_count} * kAreaBytesPerLevel;
  a.data_block = AllocBlock(kOwnerStringArea, a.size, kNoFill);
  if (a.data_block == kNoHandle) return kFailure;
  // A refused block leaves its slot free: the level block would take the same
  // slot and the area would live in a block of the wrong size. Fail at once.
  if (g_runtime_memory.block_table[a.data_block].pointer == nullptr) {
    a = StringArea{kNoHandle, kNoHandle, 0, 0, nullptr, 0};
    return kErrOutOfMemory;
  }
  // One StrDesc per level, at its real size on this machine.
  a.level_block =
      AllocBlock(kOwnerStringArea, std::uint32_t{level_count} * sizeof(StrDesc), kNoFill);
  if (a.level_block == kNoHandle ||
      g_runtime_memory.block_table[a.level_block].pointer == nullptr) {
    const StatusWord st = a.level_block == kNoHandle ? kFailure : kErrOutOfMemory;
    (void)FreeBlockEntry(kOwnerStringArea, a.data_block);
    a = StringArea{kNoHandle, kNoHandle, 0, 0, nullptr, 0};
    return st;
  }
  unsigned char* data = nullptr;
  StrDesc* levels = nullptr;
  if (!AreaBlocks(&data, &levels)) return kErrOutOfMemory;
  a.top = reinterpret_cast<char*>(data);
  levels[0] = StrDesc{a.top, 0};
  return kOk;
}

StatusWord ReleaseStringArea() {
  StringArea& a = Area();
  BlockEntry d{}, l{};
  if (StatusWord st = BlockAt(a.data_block, &d); st != kOk) return st;
  if (StatusWord st = FreeBlock(kOwnerStringArea, d.pointer); st != kOk) return st;
  a.data_block = kNoHandle;  // the slot may be reused: never touch it again
  if (StatusWord st = BlockAt(a.level_block, &l); st != kOk) return st;
  if (StatusWord st = FreeBlock(kOwnerStringArea, l.pointer); st != kOk) return st;
  a = StringArea{kNoHandle, kNoHandle, 0, 0, nullptr, 0};
  return kOk;
}

std::uint16_t RecordError(std::uint16_t condition, SubsystemNumber subsystem, StatusWord code,
                          std::uint16_t result) {
  if (condition == kConditionNone) return 0;
  if ((g_error_state.code == 0 && code >= kFirstRecordedCode) || condition == kConditionOverwrite) {
    g_error_state = ErrorState{code, subsystem};
  }
  return result;
}

StrDesc ErrorResult(std::uint16_t condition, SubsystemNumber subsystem, StatusWord code,
                    StrDesc s) {
  if (RecordError(condition, subsystem, code, code) != 0) return ErrorDesc(code);
  return s;
}

std::uint32_t LastError() {
  return std::uint32_t{g_error_state.code} | (std::uint32_t{g_error_state.subsystem} << 16);
}

void ResetErrorState() { g_error_state = ErrorState{0, 0}; }

StrDesc DescFromCString(const char* text) {
  if (text == nullptr) return ErrorDesc(kErrBadInputData);
  return MakeDesc(text, std::strlen(text));
}

bool SameText(StrDesc a, StrDesc b) {
  if (a.ptr == nullptr || b.ptr == nullptr) return false;
  return a.len == b.len && (a.len == 0 || std::memcmp(a.ptr, b.ptr, a.len) == 0);
}
