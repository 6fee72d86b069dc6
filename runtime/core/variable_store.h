// The VariableStore: string variables by group (0 to 38) and item, all texts
// in one tracked block of 65,535 bytes (owner 1). Groups 0 to 36 act as
// stacks, 37 and 38 as queues. A failed change leaves the store unchanged.
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/memory/str_desc.h"

inline constexpr std::uint16_t kVarGroups = 39;
inline constexpr std::uint16_t kVarSlots = 2048;
inline constexpr std::uint32_t kVarBlockSize = 65535;
inline constexpr std::uint32_t kVarTextCapacity = kVarBlockSize - 2u * (kVarGroups + kVarSlots);
static_assert(kVarTextCapacity == 61361);
inline constexpr std::uint16_t kFirstQueueGroup = 37;

// Groups and items of the system's variables.
inline constexpr std::uint16_t kGroupSettings = 0;
inline constexpr std::uint16_t kItemDatePattern = 0;
inline constexpr std::uint16_t kItemCommandLine = 1;     // COMMANDLINE
inline constexpr std::uint16_t kItemAppName = 2;         // APNAME
inline constexpr std::uint16_t kItemAppDescription = 3;  // APDESCRIP
inline constexpr std::uint16_t kItemLanguage = 4;
inline constexpr std::uint16_t kItemStartFolder = 5;
inline constexpr std::uint16_t kItemDocumentsFolder = 6;
inline constexpr std::uint16_t kItemHelpFolder = 7;
inline constexpr std::uint16_t kItemServerDescription = 11;
inline constexpr std::uint16_t kGroupMessages = 9;
inline constexpr std::uint16_t kItemModuleText = 2;
inline constexpr std::uint16_t kItemDetailLog = 9;
inline constexpr std::uint16_t kGroupLineQueue = 37;

// Bookkeeping kept beside the store's block.
struct VariableStore {
  unsigned char* block;  // null before InitVariableStore
  std::uint16_t slots_in_use;
  std::uint32_t text_in_use;
  std::uint32_t text_capacity;
};
static_assert(std::is_trivially_copyable_v<VariableStore>);
extern VariableStore g_variable_store;

// The start-up callback: creates the BlockRegistry (and the StringArea), then
// the store. 0, the registry's status, 159 for an impossible layout, 145 when
// the block cannot be had.
[[nodiscard]] StatusWord InitVariableStore();

// Gives the store's block back (owner 1) and forgets it. 0, or FreeBlock's status.
[[nodiscard]] StatusWord ReleaseVariableStore();

// Sets (group, item) to text, extending the group with empty items as needed.
// 0; the text's own status; 159 for an invalid slot or when the slots (2048)
// or text bytes (61361) would be reached; 145 when the text cannot be staged.
// Leaves nothing on the area.
[[nodiscard]] StatusWord SetVariable(std::uint16_t group, std::uint16_t item, StrDesc text);

// A view of the text (valid until the store next changes); empty text when absent.
[[nodiscard]] StrDesc GetVariable(std::uint16_t group, std::uint16_t item);

// Removes the item (later items move down by one); a group without items: 0.
[[nodiscard]] StatusWord DeleteVariable(std::uint16_t group, std::uint16_t item);

// Appends text as the group's last item; SetVariable's status.
[[nodiscard]] StatusWord PushVariable(std::uint16_t group, StrDesc text);
// The last item (groups 0 to 36) or the first (37, 38); empty text when empty.
[[nodiscard]] StrDesc TopVariable(std::uint16_t group);
// Deletes the item TopVariable reads; DeleteVariable's status.
[[nodiscard]] StatusWord PopVariable(std::uint16_t group);

// Number of items of the group (0 for an invalid group).
[[nodiscard]] std::uint16_t VariableCount(std::uint16_t group);

// Stores text (joined after the current log with CR LF when append is set and
// the log is not empty, the old log first cut to at most 1,024 characters at
// its last CRs) as the DetailLog. Returns code unchanged; leaves nothing on the area.
std::uint16_t AddDetail(std::uint16_t code, StrDesc text, bool append);
inline constexpr std::uint16_t kDetailLogLimit = 1024;
