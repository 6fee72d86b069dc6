// A flat hash table of names: open addressing over one array, no allocation
// per name. The comparison asks it thousands of times per pass (is this name
// on the other side, which entry is it), so it must cost little more than
// hashing the name once. The table views the names' bytes; they must outlive
// it and must not move.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

class NameTable {
 public:
  static constexpr std::uint32_t kNoName = 0xFFFFFFFFu;

  // Empties the table and sizes it for about expected names (it grows when
  // more come).
  void Reset(std::size_t expected);
  // Adds name with its value; a name already there keeps its first value.
  void Insert(std::string_view name, std::uint32_t value);
  // The value of name, or kNoName.
  [[nodiscard]] std::uint32_t Find(std::string_view name) const;
  [[nodiscard]] bool Contains(std::string_view name) const { return Find(name) != kNoName; }
  [[nodiscard]] std::size_t size() const { return count_; }

 private:
  struct Slot {
    const char* data = nullptr;  // null: empty
    std::uint32_t length = 0;
    std::uint32_t value = 0;
  };
  void Grow();
  std::vector<Slot> slots_;  // a power of two, never more than half full
  std::size_t count_ = 0;
};

// Names read from a folder, owned: the bytes in one pool, the table over it.
struct OwnedNames {
  void Add(std::string_view name);  // before Index() only
  void Index();                     // builds the table over the pool
  void Clear();
  [[nodiscard]] bool Contains(std::string_view name) const { return table.Contains(name); }
  std::vector<char> pool;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;  // offset, length in pool
  NameTable table;
};
