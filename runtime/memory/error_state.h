// The ErrorState: the first recorded failure of the run (code and subsystem).
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/memory/str_desc.h"

struct ErrorState {
  StatusWord code;  // 0 = none
  SubsystemNumber subsystem;
};
static_assert(std::is_trivially_copyable_v<ErrorState>);

extern ErrorState g_error_state;

// RecordError's condition values.
inline constexpr std::uint16_t kConditionNone = 0;
inline constexpr std::uint16_t kConditionRecord = 1;     // record if nothing with code >= 128 yet
inline constexpr std::uint16_t kConditionOverwrite = 2;  // always record

// Returns 0 when condition is 0, else result unchanged. Records (code,
// subsystem) when no failure is recorded yet and code >= 128, or when
// condition is 2.
std::uint16_t RecordError(std::uint16_t condition, SubsystemNumber subsystem, StatusWord code,
                          std::uint16_t result);

// s unchanged, or the ErrorDescriptor of code when RecordError(condition,
// subsystem, code, code) is non-zero.
[[nodiscard]] StrDesc ErrorResult(std::uint16_t condition, SubsystemNumber subsystem,
                                  StatusWord code, StrDesc s);

// The ErrorState's code in the low 16 bits, its subsystem in the high 16 bits.
[[nodiscard]] std::uint32_t LastError();

// Sets the ErrorState back to 0/0. The runtime never calls it; start-up of a
// fresh run and tests do.
void ResetErrorState();
