#include "runtime/core/variable_store.h"

#include <cstring>

#include "runtime/memory/blocks.h"
#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/lists.h"
#include "runtime/text/search.h"
#include "runtime/text/strings.h"

VariableStore g_variable_store = {nullptr, 0, 0, 0};

namespace {

constexpr std::uint32_t kCountsOffset = 0;
constexpr std::uint32_t kLengthsOffset = kCountsOffset + 2u * kVarGroups;
constexpr std::uint32_t kTextOffset = kLengthsOffset + 2u * kVarSlots;
static_assert(kTextOffset + kVarTextCapacity == kVarBlockSize);

std::uint16_t* Counts() {
  return reinterpret_cast<std::uint16_t*>(g_variable_store.block + kCountsOffset);
}
std::uint16_t* Lengths() {
  return reinterpret_cast<std::uint16_t*>(g_variable_store.block + kLengthsOffset);
}
unsigned char* Text() { return g_variable_store.block + kTextOffset; }

// First slot of the group (the sum of the item counts before it).
std::uint32_t GroupBase(std::uint16_t group) {
  std::uint32_t base = 0;
  for (std::uint16_t g = 0; g < group; ++g) base += Counts()[g];
  return base;
}

// Offset of the slot's text: the sum of the lengths of all slots before it.
std::uint32_t TextOffset(std::uint32_t slot) {
  std::uint32_t offset = 0;
  for (std::uint32_t s = 0; s < slot; ++s) offset += Lengths()[s];
  return offset;
}

StatusWord Fail(StatusWord status) {
  // The first failure of a set is recorded as a failed assignment.
  RecordError(kConditionRecord, kSubStringAssign, kErrLoadStrError, status);
  return status;
}

StatusWord InvalidSlot() {
  RecordError(kConditionRecord, kSubDynStrings, kErrStrOutBound, kErrStrOutBound);
  return Fail(kErrStrOutBound);
}

// Sets the slot's text; the store's checks have passed. text lies outside the store.
void StoreText(std::uint32_t slot, std::uint16_t old_len, StrDesc text) {
  VariableStore& vs = g_variable_store;
  const std::uint32_t offset = TextOffset(slot);
  const std::uint32_t tail_from = offset + old_len;
  const std::uint32_t tail_len = vs.text_in_use - tail_from;
  if (tail_len != 0) std::memmove(Text() + offset + text.len, Text() + tail_from, tail_len);
  if (text.len != 0) std::memcpy(Text() + offset, text.ptr, text.len);
  vs.text_in_use = vs.text_in_use - old_len + text.len;
  Lengths()[slot] = text.len;
}

StatusWord SetStaged(std::uint16_t group, std::uint16_t item, StrDesc text) {
  VariableStore& vs = g_variable_store;
  if (vs.block == nullptr || group >= kVarGroups) return InvalidSlot();
  const std::uint32_t base = GroupBase(group);
  const std::uint32_t slot = base + item;
  if (slot >= kVarSlots) return InvalidSlot();
  const std::uint16_t count = Counts()[group];
  const std::uint32_t new_slots = item >= count ? std::uint32_t{item} - count + 1 : 0;
  const std::uint16_t old_len = new_slots != 0 ? 0 : Lengths()[slot];
  if (vs.slots_in_use + new_slots >= kVarSlots) return Fail(kErrStrOutBound);
  if (vs.text_in_use + text.len - old_len >= vs.text_capacity) return Fail(kErrStrOutBound);
  if (new_slots != 0) {
    // Empty slots at the end of the group; the lengths of later groups move up.
    const std::uint32_t group_end = base + count;
    std::memmove(Lengths() + group_end + new_slots, Lengths() + group_end,
                 2u * (vs.slots_in_use - group_end));
    std::memset(Lengths() + group_end, 0, 2u * new_slots);
    Counts()[group] = static_cast<std::uint16_t>(item + 1);
    vs.slots_in_use = static_cast<std::uint16_t>(vs.slots_in_use + new_slots);
  }
  StoreText(slot, old_len, text);
  return kOk;
}

}  // namespace

StatusWord InitVariableStore() {
  if (StatusWord st = InitBlockRegistry(); st != kOk) return st;
  if (!(kVarBlockSize > 2u * (kVarGroups + kVarSlots))) {
    return RecordError(kConditionRecord, kSubStringInit, kErrStrOutBound, kErrStrOutBound);
  }
  void* block = AllocBlockPtr(kOwnerVariableStore, kVarBlockSize);
  if (block == nullptr) return kErrOutOfMemory;
  std::memset(block, 0, kVarBlockSize);
  g_variable_store = VariableStore{static_cast<unsigned char*>(block), 0, 0, kVarTextCapacity};
  return kOk;
}

StatusWord ReleaseVariableStore() {
  if (g_variable_store.block == nullptr) return kOk;
  StatusWord st = FreeBlock(kOwnerVariableStore, g_variable_store.block);
  if (st == kOk) g_variable_store = VariableStore{nullptr, 0, 0, 0};
  return st;
}

StatusWord SetVariable(std::uint16_t group, std::uint16_t item, StrDesc text) {
  if (StatusWord st = DescStatus(text); st != kOk) return Fail(st);
  // Staged on the area first: the text may be a view into the store itself.
  const AreaMark mark = MarkArea();
  if (StatusWord st = PushCopy(text); st != kOk) return Fail(st);
  const StatusWord st = SetStaged(group, item, TopString());
  ReleaseArea(mark);
  return st;
}

StrDesc GetVariable(std::uint16_t group, std::uint16_t item) {
  const VariableStore& vs = g_variable_store;
  if (vs.block == nullptr || group >= kVarGroups || item >= Counts()[group]) return EmptyDesc();
  const std::uint32_t slot = GroupBase(group) + item;
  if (slot >= kVarSlots) return EmptyDesc();
  return StrDesc{reinterpret_cast<const char*>(Text() + TextOffset(slot)), Lengths()[slot]};
}

StatusWord DeleteVariable(std::uint16_t group, std::uint16_t item) {
  VariableStore& vs = g_variable_store;
  if (vs.block == nullptr || group >= kVarGroups) return InvalidSlot();
  if (Counts()[group] == 0) return kOk;
  if (StatusWord st = SetVariable(group, item, EmptyDesc()); st != kOk) return st;
  const std::uint32_t slot = GroupBase(group) + item;  // now empty: no text moves
  std::memmove(Lengths() + slot, Lengths() + slot + 1, 2u * (vs.slots_in_use - slot - 1));
  Lengths()[vs.slots_in_use - 1] = 0;
  --Counts()[group];
  --vs.slots_in_use;
  return kOk;
}

std::uint16_t VariableCount(std::uint16_t group) {
  if (g_variable_store.block == nullptr || group >= kVarGroups) return 0;
  return Counts()[group];
}

StatusWord PushVariable(std::uint16_t group, StrDesc text) {
  return SetVariable(group, VariableCount(group), text);
}

namespace {
// The item that TopVariable and PopVariable act on; kNotFound when empty.
std::uint16_t TopItem(std::uint16_t group) {
  const std::uint16_t count = VariableCount(group);
  if (count == 0) return kNotFound;
  return group >= kFirstQueueGroup ? 0 : static_cast<std::uint16_t>(count - 1);
}
}  // namespace

StrDesc TopVariable(std::uint16_t group) {
  const std::uint16_t item = TopItem(group);
  return item == kNotFound ? EmptyDesc() : GetVariable(group, item);
}

StatusWord PopVariable(std::uint16_t group) {
  const std::uint16_t item = TopItem(group);
  return item == kNotFound ? kOk : DeleteVariable(group, item);
}

std::uint16_t AddDetail(std::uint16_t code, StrDesc text, bool append) {
  const AreaMark mark = MarkArea();
  StrDesc entry = text;
  StrDesc old = GetVariable(kGroupMessages, kItemDetailLog);
  if (append && old.len != 0) {
    // Keep the oldest lines: drop the most recent ones until at most 1,024
    // characters remain; a log without CR is cut to its first 1,024.
    while (old.len > kDetailLogLimit) {
      const std::uint16_t cr = FindLastChar(old, '\r', kPlain);
      old.len = cr == kNotFound ? kDetailLogLimit : cr;
    }
    entry = Join(old, Lit("\r\n"), text);
  }
  (void)SetVariable(kGroupMessages, kItemDetailLog, entry);
  ReleaseArea(mark);
  return code;
}
