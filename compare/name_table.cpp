#include "compare/name_table.h"

#include <cstring>

namespace {

// Eight bytes at a time, each word mixed in by a multiply and a shift: names
// are short, and this hashes them in a few steps.
std::uint64_t Hash(std::string_view name) {
  constexpr std::uint64_t kMix = 0xbf58476d1ce4e5b9ull;
  const char* p = name.data();
  std::size_t n = name.size();
  std::uint64_t h = 0x9e3779b97f4a7c15ull ^ n;
  while (n >= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    h = (h ^ w) * kMix;
    h ^= h >> 31;
    p += 8;
    n -= 8;
  }
  std::uint64_t w = 0;
  if (n != 0) std::memcpy(&w, p, n);
  h = (h ^ w) * kMix;
  return h ^ (h >> 29);
}

bool Same(const char* data, std::uint32_t length, std::string_view name) {
  return length == name.size() && (length == 0 || std::memcmp(data, name.data(), length) == 0);
}

}  // namespace

void NameTable::Reset(std::size_t expected) {
  std::size_t capacity = 16;
  while (capacity < expected * 2) capacity *= 2;
  slots_.assign(capacity, Slot{});
  count_ = 0;
}

void NameTable::Grow() {
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
  count_ = 0;
  for (const Slot& s : old) {
    if (s.data != nullptr) Insert(std::string_view(s.data, s.length), s.value);
  }
}

void NameTable::Insert(std::string_view name, std::uint32_t value) {
  if ((count_ + 1) * 2 > slots_.size()) Grow();
  const std::size_t mask = slots_.size() - 1;
  // A name of no bytes still needs a pointer that is not null.
  const char* data = name.data() != nullptr ? name.data() : "";
  for (std::size_t i = Hash(name) & mask;; i = (i + 1) & mask) {
    Slot& s = slots_[i];
    if (s.data == nullptr) {
      s = Slot{data, static_cast<std::uint32_t>(name.size()), value};
      ++count_;
      return;
    }
    if (Same(s.data, s.length, name)) return;
  }
}

std::uint32_t NameTable::Find(std::string_view name) const {
  if (slots_.empty()) return kNoName;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = Hash(name) & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.data == nullptr) return kNoName;
    if (Same(s.data, s.length, name)) return s.value;
  }
}

void OwnedNames::Add(std::string_view name) {
  const auto offset = static_cast<std::uint32_t>(pool.size());
  pool.insert(pool.end(), name.begin(), name.end());
  spans.emplace_back(offset, static_cast<std::uint32_t>(name.size()));
}

void OwnedNames::Index() {
  table.Reset(spans.size());
  for (const auto& [offset, length] : spans) {
    table.Insert(std::string_view(pool.data() + offset, length), 0);
  }
}

void OwnedNames::Clear() {
  pool.clear();
  spans.clear();
  table.Reset(0);
}
