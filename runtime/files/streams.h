// File streams: files opened into the numbered slots of the process-wide
// StreamTable and read or written at explicit byte positions, whole-file
// operations that open, act and close in one call, a byte-for-byte comparison
// of two files, and the reader that queues the lines of a text file.
//
// Files are binary: bytes are read and written exactly as they stand; line
// ends mean something only to the line reads. Byte positions and sizes are
// unsigned 32-bit (a larger file reports 0xFFFFFFFF as its size); the
// position 0xFFFF means the current position for reads and the end of the
// file for writes, so the absolute position 65535 cannot be named. Names are
// 1 to 383 bytes without a NUL byte; others are refused with 163.
//
// An open that fails without kOpenQuiet appends the name to the DetailLog,
// records its status with subsystem 17 in the ErrorState and gives 0xFFFF.
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/memory/str_desc.h"

using StreamSlot = std::uint16_t;
using StreamPosition = std::uint32_t;

// The StreamTable: slot 0 standard input, 1 standard output, 2 standard
// error, 3 to 39 files opened here. Filled on first use, never torn down.
inline constexpr std::uint16_t kStreamSlotCount = 40;
inline constexpr StreamSlot kSlotStdin = 0;
inline constexpr StreamSlot kSlotStdout = 1;
inline constexpr StreamSlot kSlotStderr = 2;
inline constexpr StreamSlot kFirstFileSlot = 3;
inline constexpr int kEmptySlot = -1;

struct StreamTable {
  int fd[kStreamSlotCount];  // a Linux file descriptor, or kEmptySlot
  bool filled;               // false until the first use
};
static_assert(std::is_trivially_copyable_v<StreamTable>);
extern StreamTable g_stream_table;

// Open flags, combined by OR. The mode is "w" with kOpenTruncate, else "a"
// with kOpenAppend, else "r"; it allows reading and writing ("+") unless
// kOpenNoUpdate is set. So 0x01 is rb+, 0x08 and 0x09 rb, 0x02 wb+, 0x04 ab+.
inline constexpr std::uint16_t kOpenReadWrite = 0x01;  // the writers' flag: rb+
inline constexpr std::uint16_t kOpenTruncate = 0x02;   // w: created, emptied
inline constexpr std::uint16_t kOpenAppend = 0x04;     // a: created, every write at the end
inline constexpr std::uint16_t kOpenNoUpdate = 0x08;   // no "+", a missing file is not created
inline constexpr std::uint16_t kOpenQuiet = 0x80;      // return the status, record nothing
inline constexpr std::uint16_t kOpenRead = kOpenNoUpdate | kOpenReadWrite;  // 0x09: rb

// Positions and counts.
inline constexpr StreamPosition kCurrentPosition = 0xFFFF;   // reads: where the stream stands
inline constexpr StreamPosition kEndOfFile = 0xFFFF;         // writes: append at the end
inline constexpr StreamPosition kReplaceFile = 0xFFFFFFFEu;  // WriteFile's position -2
inline constexpr std::uint16_t kReadLine = 0xFFFF;           // ReadStream count: one line
inline constexpr std::uint16_t kToEndOfFile = 0xFFFF;        // whole-file reads: up to the end
inline constexpr std::uint16_t kStreamFailed = 0xFFFF;       // a byte count that failed
inline constexpr std::uint16_t kMaxStreamName = 383;         // longest accepted name
inline constexpr std::uint16_t kMaxFileText = 65534;         // longest rest ReadFileText reads
inline constexpr std::uint16_t kStreamStep = 512;            // bytes per read or write step
inline constexpr std::uint16_t kCompareChunk = 1024;         // CompareFileContents' chunk
inline constexpr char kCtrlZ = 0x1A;                         // an old end-of-text mark

// CompareFileContents' results besides a status.
inline constexpr StatusWord kSameContents = 0;
inline constexpr StatusWord kDifferentContents = 1;

// Opens the file into the lowest free slot and returns it. The console "CON"
// takes a slot number (1 for flags 0x02, else 0) without opening anything.
// Failures (0xFFFF, or the status with kOpenQuiet): 163 bad name, 168 no free
// slot, 164 the file cannot be opened or is not a regular file. Nothing on the area.
[[nodiscard]] StreamSlot OpenStream(StrDesc name, std::uint16_t flags);

// Closes the file of a slot 3-39 and empties the slot; slots 0-2, empty slots
// and slots of 40 and above are left alone (0). 65535 when the close reported
// an error (the slot is empty all the same).
StatusWord CloseStream(StreamSlot slot);

// Size of the slot's file in bytes (0xFFFFFFFF for 4 GiB and more); 0xFFFF
// for slots 0-2; 0 for a slot without a file or when the size cannot be taken.
[[nodiscard]] std::uint32_t StreamSize(StreamSlot slot);

// Reads from position (kCurrentPosition: where the stream stands) count bytes,
// or with kReadLine one line, into buffer, never more than capacity bytes.
// Returns the bytes placed (a block read stops at the end of the file or when
// the capacity is full; a line is returned without its terminator and the
// stream stands just after it), or 0xFFFF at the end of data, on a failed
// read and for a line longer than the capacity (or than 65,534 bytes).
[[nodiscard]] std::uint16_t ReadStream(StreamSlot slot, StreamPosition position,
                                       std::uint16_t count, char* buffer, std::uint16_t capacity);

// ReadStream into the StringArea's free space: one new string holding what was
// read; at the end of data or on a failed read the ErrorDescriptor 130 and
// nothing on the area (145 when the area has no level left).
[[nodiscard]] StrDesc ReadStreamText(StreamSlot slot, StreamPosition position, std::uint16_t count);

// Writes length bytes at position (kEndOfFile appends; a file opened with
// kOpenAppend always appends). Returns length, or 0xFFFF when data is null,
// the slot has no file or a write fails (earlier bytes stay written). A
// length of 65535 makes success look like failure: check through WriteFileAll.
[[nodiscard]] std::uint16_t WriteStream(StreamSlot slot, StreamPosition position, const char* data,
                                        std::uint16_t length);

// Size in bytes of the named file (0xFFFFFFFF for 4 GiB and more); 0 when it
// cannot be opened (recorded as by OpenStream).
[[nodiscard]] std::uint32_t FileSize(StrDesc name);

// Opens the file read-only, reads count bytes from position (kToEndOfFile: the
// rest of the file, which must be shorter than 65,535 bytes) into buffer as
// ReadStream does, and closes it. Bytes read, or 0xFFFF.
[[nodiscard]] std::uint16_t ReadFileBlock(StrDesc name, StreamPosition position,
                                          std::uint16_t count, char* buffer,
                                          std::uint16_t capacity);

// count bytes of the file from position (kToEndOfFile: the rest) as one new
// string, read straight into the area. An explicit count of 0 is the empty
// text. ErrorDescriptors: the open's status (163, 164, 168; recorded), 161 when
// the rest of the file passes 65,534 bytes, 145 when the area cannot hold the
// text, 65535 when fewer bytes than count could be read.
[[nodiscard]] StrDesc ReadFileText(StrDesc name, StreamPosition position, std::uint16_t count);

// The whole file as one new string, every CR LF and then every remaining LF
// replaced by separator (a lone CR stays). ReadFileText's ErrorDescriptors,
// or ReplaceAll's.
[[nodiscard]] StrDesc ReadTextFileJoined(StrDesc name, StrDesc separator);

// Writes length bytes at position into the file (created when missing;
// kEndOfFile appends) and returns length, or 0xFFFF. With kReplaceFile the
// file's whole content is replaced atomically: the bytes go to a new hidden
// file in the same folder, which is flushed to disk, given the old file's
// permission bits and renamed over it; on any failure the old file stays
// whole and the new one is removed. Length 0 writes nothing and gives 0xFFFF;
// with kReplaceFile it removes the file. Open failures are recorded.
[[nodiscard]] std::uint16_t WriteFile(StrDesc name, StreamPosition position, const char* data,
                                      std::uint16_t length);

// WriteFile, as a status: 0 when every byte was written, else 131.
[[nodiscard]] StatusWord WriteFileAll(StrDesc name, StreamPosition position, const char* data,
                                      std::uint16_t length);

// 0 when both files hold the same bytes (two empty files included), 1 when
// they differ; 164 when either cannot be opened, 159 when a read fails.
// Nothing on the area.
[[nodiscard]] StatusWord CompareFileContents(StrDesc first, StrDesc second);

// Appends every line of the file, without its terminator, to VariableStore
// group 37 and returns how many; 0xFFFF for an empty name, a file that cannot
// be opened, a file without lines, a failed read or a failed push (the lines
// this call appended are then taken out again). A name without a folder that
// is not in the current folder is looked for in the start folder. Nothing on the area.
[[nodiscard]] std::uint16_t ReadLinesToQueue(StrDesc name);
