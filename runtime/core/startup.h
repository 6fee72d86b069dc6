// Bringing the runtime up before the window opens and down after it closes.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/memory/status.h"

using StartupCallback = StatusWord (*)();

// Keeps the instance handle, runs the callback (the application passes
// InitVariableStore), then stores the command line (when given) as group 0
// item 1, with every quote-blank-blank-quote made quote-blank-quote. 0, or the
// first failing step's status (a failing callback ends before the command line).
[[nodiscard]] StatusWord RuntimeStartup(void* instance, const char16_t* command_line,
                                        StartupCallback callback);

// Frees the blocks of typed list 6, destroys the typed lists and, when only
// the variable store's blocks are left, gives back the store, the string area
// and the registry. 0, or the owner tag of a block left behind.
StatusWord RuntimeShutdown();

// The instance handle kept by the last start-up.
[[nodiscard]] void* RuntimeInstance();

// The program's argument words as one command line: joined by single blanks,
// a word holding a blank enclosed in double quotes (single ones when it holds
// a double quote), so that the runtime's word splitting reads the same words.
[[nodiscard]] std::u16string CommandLineFromArgs(int argc, const char* const* argv);
