#include "runtime/core/typed_lists.h"

#include <cstring>

#include "runtime/memory/blocks.h"

namespace {

// The table of list references; null before CreateTypedLists.
TypedList** g_table = nullptr;

}  // namespace

StatusWord CreateTypedLists() {
  if (g_table != nullptr) return kOk;
  void* block = AllocBlockPtr(kOwnerTypedLists, kTypedListCount * sizeof(TypedList*));
  if (block == nullptr) return kErrStructMemError;
  g_table = static_cast<TypedList**>(block);  // zero-filled: every reference empty
  return kOk;
}

const TypedList* ListAt(std::uint16_t list) {
  if (g_table == nullptr || list >= kTypedListCount) return nullptr;
  return g_table[list];
}

void* SetElement(std::uint16_t list, std::uint16_t index, const void* data, std::uint16_t size) {
  if (g_table == nullptr || list >= kTypedListCount || index == 65535 || size == 0) {
    return nullptr;
  }
  TypedList* header = g_table[list];
  bool created = false;
  if (header == nullptr) {
    header = static_cast<TypedList*>(AllocBlockPtr(kOwnerTypedLists, sizeof(TypedList)));
    if (header == nullptr) return nullptr;
    *header = TypedList{nullptr, size, 0};
    created = true;
  }
  if (header->element_size != size) return nullptr;
  if (index >= header->element_count) {
    const std::uint32_t new_count = std::uint32_t{index} + 1;
    auto* storage = static_cast<unsigned char*>(AllocBlockPtr(kOwnerTypedLists, new_count * size));
    if (storage == nullptr) {
      if (created) (void)FreeBlock(kOwnerTypedLists, header);
      return nullptr;  // the old elements stay
    }
    if (header->storage != nullptr) {
      std::memcpy(storage, header->storage, std::size_t{header->element_count} * size);
      (void)FreeBlock(kOwnerTypedLists, header->storage);
    }
    header->storage = storage;
    header->element_count = static_cast<std::uint16_t>(new_count);
  }
  g_table[list] = header;
  unsigned char* element = header->storage + std::size_t{index} * size;
  if (data != nullptr) std::memcpy(element, data, size);
  return element;
}

void* ElementAt(std::uint16_t list, std::uint16_t index) {
  const TypedList* header = ListAt(list);
  if (header == nullptr || index >= header->element_count) return nullptr;
  return header->storage + std::size_t{index} * header->element_size;
}

void DestroyTypedLists() {
  if (g_table == nullptr) return;
  for (std::uint16_t i = 0; i < kTypedListCount; ++i) {
    TypedList* header = g_table[i];
    if (header == nullptr) continue;
    if (header->storage != nullptr) (void)FreeBlock(kOwnerTypedLists, header->storage);
    (void)FreeBlock(kOwnerTypedLists, header);
    g_table[i] = nullptr;
  }
  (void)FreeBlock(kOwnerTypedLists, g_table);
  g_table = nullptr;
}

std::uint16_t GetSetting(std::uint16_t index) {
  const void* element = ElementAt(kSettingsList, index);
  if (element == nullptr) return 0;
  std::uint16_t value;
  std::memcpy(&value, element, sizeof value);
  return value;
}

std::uint16_t SetSetting(std::uint16_t index, std::uint16_t value) {
  (void)SetElement(kSettingsList, index, &value, sizeof value);
  return GetSetting(index);
}

bool TestSetting(std::uint16_t index, std::uint16_t mask) {
  return (GetSetting(index) & mask) != 0;
}
