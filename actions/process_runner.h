// Other programs, started from one command text. The text is split into
// argument words at blanks outside quotes, and one pair of enclosing quotes
// (' or ") is taken off each word; the first word names the program, found
// along PATH, and keeps its case. No shell ever reads the text, so nothing in
// a word is interpreted: a file handed over in quotes reaches the program as
// one word holding exactly its bytes.
//
// RunCaptured waits for its program; StartProgram and LaunchCommand return as
// soon as theirs has started. A program that is not waited for is reaped by
// the next call of any of them (or of ReapStartedPrograms), so none is left
// behind as a zombie. Only RunToTempFile leaves a string on the area (its
// path); the others leave nothing.
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/memory/str_desc.h"

// Statuses of the runner.
inline constexpr StatusWord kRunPipeFailed = kErrInternalError;  // 141: no pipe for the output
inline constexpr StatusWord kRunStartFailed = kErrFileNotFound;  // 164: the program did not start
inline constexpr StatusWord kRunWaitFailed = kErrUndefWarning;   // 124: waiting or reading failed
inline constexpr StatusWord kRunTimedOut = kErrDeviceTimeout;    // 171: stopped at the time limit
inline constexpr StatusWord kRunBadCommand = kErrBadInputData;   // 163: the text holds a NUL byte
inline constexpr StatusWord kRunWriteFailed = kErrFileIO;        // 131: AppendToFile's write failed

// Output moves in chunks of at most this many bytes.
inline constexpr std::uint16_t kCaptureChunk = 1024;

// A captured run that has not ended and been drained after this long is
// stopped, so that a program that never ends cannot freeze the window. The
// program always runs with this limit; tests lower it with SetCaptureLimit.
inline constexpr std::uint32_t kCaptureLimitMs = 60000;
// Sets the limit in milliseconds and returns the one it replaces.
std::uint32_t SetCaptureLimit(std::uint32_t milliseconds);

// StartProgram's flags, combined by OR.
inline constexpr std::uint16_t kStartNoWait = 0x01;      // return once started...
inline constexpr std::uint16_t kStartDetached = 0x02;    // in a session of its own
inline constexpr std::uint16_t kStartWaitAnyway = 0x04;  // ...unless this is set too

// Receives the captured output, chunk by chunk, in order; a non-zero status
// stops the collection and becomes RunCaptured's result.
using OutputSink = StatusWord (*)(void* context, const char* bytes, std::uint16_t count);

// Walks the argument words of a command text.
struct WordCursor {
  StrDesc rest;
};
static_assert(std::is_trivially_copyable_v<WordCursor>);

// The next word at the cursor, blanks before it skipped, one pair of
// enclosing quotes removed (a view of the text); false when none is left.
[[nodiscard]] bool NextCommandWord(WordCursor* cursor, StrDesc* word);

// Runs the command with /dev/null as its standard input and hands everything
// it writes to standard output and standard error to sink (which may be null)
// until it has ended and its output is drained. Its exit code is not
// returned. 0, or 141, 164 (the program's name added to the DetailLog), 124,
// 163, 171 (the program is stopped; the DetailLog says so), the area's
// status (145) or the sink's. On every failure the program is stopped and
// reaped; no descriptor stays open.
[[nodiscard]] StatusWord RunCaptured(StrDesc command, void* context, OutputSink sink);

// The sink whose context is a const StrDesc* naming a file: appends the bytes
// at its end (creating it when missing). 0, or 131.
[[nodiscard]] StatusWord AppendToFile(void* context, const char* bytes, std::uint16_t count);

// Runs the command once, its output collected in a fresh temporary .txt file,
// and returns the file's path (one new string). A run that writes nothing
// leaves no file, and its path is returned all the same. When the run fails,
// the ErrorDescriptor of RunCaptured's status (or TempFilePath's), and no file.
[[nodiscard]] StrDesc RunToTempFile(StrDesc command);

// Starts the command's program with every word of the text as an argument.
// With kStartNoWait (and not kStartWaitAnyway) 0 once it has started;
// otherwise waits and returns its exit code (65535 when a signal ended it), or
// 124 when the wait fails. 164 (the name added to the DetailLog) when it
// cannot be started, 163 for a text holding a NUL byte, 145 when the area is full.
[[nodiscard]] StatusWord StartProgram(StrDesc command, std::uint16_t flags);

// Starts the command's program and returns at once: 0, or StartProgram's
// statuses for a program that cannot be started.
[[nodiscard]] StatusWord LaunchCommand(StrDesc command);

// Reaps the started programs that have ended; returns how many still run.
std::uint16_t ReapStartedPrograms();
