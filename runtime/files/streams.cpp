#include "runtime/files/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "actions/folder_search.h"
#include "compare/file_queries.h"
#include "platform/os/os_calls.h"
#include "runtime/core/variable_store.h"
#include "runtime/files/paths.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/error_state.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/search.h"
#include "runtime/text/strings.h"

StreamTable g_stream_table = {{}, false};

namespace {

constexpr std::uint64_t kConsoleSize = 0xFFFF;  // what the console reports as its size
constexpr std::uint16_t kLongestLine = 65534;   // 65535 would read as a failure
constexpr mode_t kNewFileMode = 0666;           // before the umask, as the C library creates
constexpr mode_t kPrivateMode = 0600;
constexpr std::uint16_t kModeBits = 0x1F;  // the flags that say how the console is opened
constexpr int kTempAttempts = 16;
constexpr std::size_t kTempBaseBytes = 200;  // keeps the temporary name below NAME_MAX

StreamTable& Table() {
  StreamTable& t = g_stream_table;
  if (!t.filled) {
    for (std::uint16_t s = 0; s < kStreamSlotCount; ++s) t.fd[s] = kEmptySlot;
    t.fd[kSlotStdin] = STDIN_FILENO;
    t.fd[kSlotStdout] = STDOUT_FILENO;
    t.fd[kSlotStderr] = STDERR_FILENO;
    t.filled = true;
  }
  return t;
}

bool IsConsole(StreamSlot slot) { return slot < kFirstFileSlot; }

// The descriptor of a slot, or kEmptySlot.
int SlotFd(StreamSlot slot) {
  if (slot >= kStreamSlotCount) return kEmptySlot;
  return Table().fd[slot];
}

// The name as a C string, or false for an empty name, one of 384 bytes or
// more, an ErrorDescriptor, or a name holding a NUL (it would name another file).
bool CName(StrDesc name, char (&out)[kMaxStreamName + 1]) {
  if (name.ptr == nullptr || name.len == 0 || name.len > kMaxStreamName) return false;
  if (std::memchr(name.ptr, '\0', name.len) != nullptr) return false;
  std::memcpy(out, name.ptr, name.len);
  out[name.len] = '\0';
  return true;
}

// Records a failed open as the error report expects it: the name in the
// DetailLog, the status (subsystem 17) in the ErrorState.
StatusWord RecordOpenFailure(StrDesc name, StatusWord status) {
  if (status >= kFirstRecordedCode) {
    (void)AddDetail(status, name.ptr != nullptr ? name : EmptyDesc(), true);
    (void)RecordError(kConditionRecord, kSubStreams, status, status);
  }
  return status;
}

// The lowest empty slot of 3-39, or kNoHandle.
StreamSlot FreeSlot() {
  StreamTable& t = Table();
  for (StreamSlot s = kFirstFileSlot; s < kStreamSlotCount; ++s) {
    if (t.fd[s] == kEmptySlot) return s;
  }
  return kNoHandle;
}

bool IsRegular(const struct statx& sx) { return S_ISREG(sx.stx_mode); }

// False only when the path exists and is something else than a regular file
// (a folder, a FIFO that would block the open, a device).
bool RegularOrMissing(const char* path) {
  struct statx sx;
  if (Os().statx(AT_FDCWD, path, AT_STATX_SYNC_AS_STAT, STATX_TYPE, &sx) != 0) return true;
  return IsRegular(sx);
}

bool FdIsRegular(int fd) {
  struct statx sx;
  return Os().statx(fd, "", AT_EMPTY_PATH, STATX_TYPE, &sx) == 0 && IsRegular(sx);
}

// The open(2) flags of the mode the open flags describe.
int ModeFlags(std::uint16_t flags) {
  const bool update = (flags & kOpenNoUpdate) == 0;
  int access = update ? O_RDWR : O_RDONLY;
  int extra = 0;
  if ((flags & kOpenTruncate) != 0) {
    if (!update) access = O_WRONLY;
    extra = O_CREAT | O_TRUNC;
  } else if ((flags & kOpenAppend) != 0) {
    if (!update) access = O_WRONLY;
    extra = O_CREAT | O_APPEND;
  }
  return access | extra | O_CLOEXEC | O_NOCTTY;
}

int OpenFd(const char* path, std::uint16_t flags) {
  if (!RegularOrMissing(path)) return -1;
  const int fd = Os().open(path, ModeFlags(flags), kNewFileMode);
  if (fd < 0) return -1;
  if (!FdIsRegular(fd)) {
    Os().close(fd);
    return -1;
  }
  return fd;
}

// Opens name into a slot: 0 and the slot, or the failure's status (recorded
// unless the flags are quiet).
StatusWord OpenSlot(StrDesc name, std::uint16_t flags, StreamSlot* slot) {
  const bool quiet = (flags & kOpenQuiet) != 0;
  auto fail = [&](StatusWord status) { return quiet ? status : RecordOpenFailure(name, status); };
  char path[kMaxStreamName + 1];
  if (!CName(name, path)) return fail(kErrBadInputData);
  const StreamSlot free_slot = FreeSlot();
  if (free_slot == kNoHandle) return fail(kErrDataOutBound);
  if (name.len == 3 && std::memcmp(name.ptr, "CON", 3) == 0) {
    *slot = (flags & kModeBits) == kOpenTruncate ? kSlotStdout : kSlotStdin;
    return kOk;
  }
  int fd = OpenFd(path, flags);
  if (fd < 0 && (flags & kOpenNoUpdate) == 0) {
    // Create the missing file, then open it as asked. O_EXCL: an existing
    // file that merely failed to open is never emptied.
    const int made =
        Os().open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, kNewFileMode);
    if (made >= 0) {
      Os().close(made);
      fd = OpenFd(path, flags);
    }
  }
  if (fd < 0) return fail(kErrFileNotFound);
  Table().fd[free_slot] = fd;
  *slot = free_slot;
  return kOk;
}

// read(2) and write(2) with interrupted calls repeated.
ssize_t ReadSome(int fd, void* buffer, std::size_t n) {
  for (;;) {
    const ssize_t got = Os().read(fd, buffer, n);
    if (got >= 0 || errno != EINTR) return got;
  }
}

ssize_t WriteSome(int fd, const void* buffer, std::size_t n) {
  for (;;) {
    const ssize_t put = Os().write(fd, buffer, n);
    if (put >= 0 || errno != EINTR) return put;
  }
}

// The size of the slot's file (all 64 bits), the position left where it was.
bool SlotSize(StreamSlot slot, std::uint64_t* size) {
  const int fd = SlotFd(slot);
  if (fd == kEmptySlot) return false;
  if (IsConsole(slot)) {
    *size = kConsoleSize;
    return true;
  }
  const off_t here = Os().lseek(fd, 0, SEEK_CUR);
  if (here < 0) return false;
  const off_t end = Os().lseek(fd, 0, SEEK_END);
  const off_t back = Os().lseek(fd, here, SEEK_SET);
  if (end < 0 || back != here) return false;
  *size = static_cast<std::uint64_t>(end);
  return true;
}

std::uint32_t Saturated32(std::uint64_t n) {
  return n > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(n);
}

// Where a read starts: the stream's own position for kCurrentPosition (0 on
// the console, which cannot seek), else the given position.
bool SeekForRead(StreamSlot slot, StreamPosition position, std::uint64_t* start) {
  if (IsConsole(slot)) {
    *start = 0;
    return true;
  }
  const int fd = SlotFd(slot);
  const off_t at = position == kCurrentPosition ? Os().lseek(fd, 0, SEEK_CUR)
                                                : Os().lseek(fd, off_t{position}, SEEK_SET);
  if (at < 0) return false;
  *start = static_cast<std::uint64_t>(at);
  return true;
}

enum class ReadOutcome { kRead, kEndOfData, kFailed };

struct ReadResult {
  ReadOutcome outcome;
  std::uint16_t bytes;
};

// Up to count bytes from start, never more than capacity.
ReadResult ReadBlock(StreamSlot slot, std::uint64_t start, std::uint64_t size, std::uint16_t count,
                     char* buffer, std::uint16_t capacity) {
  if (count == 0) return {ReadOutcome::kRead, 0};
  if (start >= size) return {ReadOutcome::kEndOfData, 0};
  const int fd = SlotFd(slot);
  std::uint32_t gathered = 0;
  while (gathered < count && gathered < capacity && start + gathered < size) {
    std::uint64_t step = std::min<std::uint64_t>({std::uint64_t{count} - gathered,
                                                  std::uint64_t{capacity} - gathered, kStreamStep,
                                                  size - (start + gathered)});
    if (IsConsole(slot)) step = 1;
    const ssize_t got = ReadSome(fd, buffer + gathered, static_cast<std::size_t>(step));
    if (got < 0) return {ReadOutcome::kFailed, 0};
    if (got == 0) break;  // the file ended early
    gathered += static_cast<std::uint32_t>(got);
  }
  // Complete (the count, or the end of the file), or as much as the buffer holds.
  if (gathered == count || start + gathered >= size || gathered == capacity) {
    return {ReadOutcome::kRead, static_cast<std::uint16_t>(gathered)};
  }
  return {ReadOutcome::kFailed, 0};
}

// One line from start: the bytes before its terminator (CR LF, a lone CR or a
// lone LF), the stream left just after the terminator. Bytes are searched
// through a local buffer, so read-ahead never counts against the capacity and
// a CR LF split between two steps is still one terminator.
ReadResult ReadLine(StreamSlot slot, std::uint64_t start, std::uint64_t size, char* buffer,
                    std::uint16_t capacity) {
  if (start >= size) return {ReadOutcome::kEndOfData, 0};
  const int fd = SlotFd(slot);
  const bool console = IsConsole(slot);
  const std::uint16_t room = std::min(capacity, kLongestLine);
  char local[kStreamStep];
  std::uint32_t length = 0;
  std::uint64_t pos = start;  // the file position after the bytes read so far
  bool pending_cr = false;
  std::uint64_t after_terminator = 0;
  bool terminated = false;
  while (!terminated && pos < size) {
    const std::size_t step =
        console ? 1 : static_cast<std::size_t>(std::min<std::uint64_t>(kStreamStep, size - pos));
    const ssize_t got = ReadSome(fd, local, step);
    if (got < 0) return {ReadOutcome::kFailed, 0};
    if (got == 0) break;  // the file ended early
    for (ssize_t i = 0; i < got; ++i) {
      const char c = local[i];
      if (pending_cr) {
        after_terminator = pos + static_cast<std::uint64_t>(i) + (c == '\n' ? 1 : 0);
        terminated = true;
        break;
      }
      if (c == '\r' && !console) {
        pending_cr = true;  // CR LF or a lone CR: the next byte decides
        continue;
      }
      if (c == '\n' || c == '\r') {
        after_terminator = pos + static_cast<std::uint64_t>(i) + 1;
        terminated = true;
        break;
      }
      if (length == room) return {ReadOutcome::kFailed, 0};  // the line overflows
      buffer[length++] = c;
    }
    pos += static_cast<std::uint64_t>(got);
  }
  if (terminated) {
    if (!console && Os().lseek(fd, static_cast<off_t>(after_terminator), SEEK_SET) < 0) {
      return {ReadOutcome::kFailed, 0};
    }
    return {ReadOutcome::kRead, static_cast<std::uint16_t>(length)};
  }
  // The end of the file: a CR as its last byte ends the line; a single Ctrl-Z
  // as the whole rest of the file is an end-of-text mark, not a line.
  if (!pending_cr && length == 1 && buffer[0] == kCtrlZ && pos - start == 1) {
    return {ReadOutcome::kEndOfData, 0};
  }
  return {ReadOutcome::kRead, static_cast<std::uint16_t>(length)};
}

ReadResult ReadSlot(StreamSlot slot, StreamPosition position, std::uint16_t count, char* buffer,
                    std::uint16_t capacity) {
  if (SlotFd(slot) == kEmptySlot || (buffer == nullptr && capacity != 0)) {
    return {ReadOutcome::kFailed, 0};
  }
  std::uint64_t size = 0, start = 0;
  if (!SlotSize(slot, &size) || !SeekForRead(slot, position, &start)) {
    return {ReadOutcome::kFailed, 0};
  }
  if (count == kReadLine) return ReadLine(slot, start, size, buffer, capacity);
  return ReadBlock(slot, start, size, count, buffer, capacity);
}

std::uint16_t PublicCount(ReadResult r) {
  return r.outcome == ReadOutcome::kRead ? r.bytes : kStreamFailed;
}

// ReadSlot into the area's free space, committed as one new string; the
// ErrorDescriptor 130 (end of data or failed read) tells apart nothing else,
// so the outcome goes out separately.
StrDesc ReadSlotText(StreamSlot slot, StreamPosition position, std::uint16_t count,
                     ReadOutcome* outcome) {
  const StrDesc space = FreeTopSpace();
  const ReadResult r = ReadSlot(slot, position, count, const_cast<char*>(space.ptr), space.len);
  *outcome = r.outcome;
  if (r.outcome != ReadOutcome::kRead) return ErrorDesc(kErrDiskIO);
  return ReserveTopDesc(r.bytes, kNoFill);
}

// Writes every byte at position, in steps; 0, or 65535 at the first failure.
StatusWord WriteSlot(StreamSlot slot, StreamPosition position, const char* data,
                     std::uint16_t length) {
  const int fd = SlotFd(slot);
  if (fd == kEmptySlot || data == nullptr) return kFailure;
  if (!IsConsole(slot)) {
    const off_t at = position == kEndOfFile ? Os().lseek(fd, 0, SEEK_END)
                                            : Os().lseek(fd, off_t{position}, SEEK_SET);
    if (at < 0) return kFailure;
  }
  std::uint32_t done = 0;
  while (done < length) {
    const std::size_t step = std::min<std::uint32_t>(kStreamStep, length - done);
    const ssize_t put = WriteSome(fd, data + done, step);
    if (put <= 0) return kFailure;
    done += static_cast<std::uint32_t>(put);
  }
  return kOk;
}

// The folder part of a path ("." without one) and its last component.
void SplitPath(const std::string& path, std::string* folder, std::string* base) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    *folder = ".";
    *base = path;
  } else {
    *folder = slash == 0 ? "/" : path.substr(0, slash);
    *base = path.substr(slash + 1);
  }
}

std::string TempPathFor(const std::string& folder, const std::string& base) {
  static std::mt19937_64 engine{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::uint64_t r = engine();
  std::string tag;
  for (int i = 0; i < 12; ++i, r /= 36) tag += kDigits[r % 36];
  return folder + "/." + base.substr(0, kTempBaseBytes) + "." + tag + ".tmp";
}

// Flushes the folder's entries (the rename) to disk; failures change nothing
// that a caller could act on, so they are ignored.
void SyncFolder(const std::string& folder) {
  const int fd = Os().open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return;
  (void)Os().fsync(fd);
  Os().close(fd);
}

// Replaces the file's content with data: written to a new temporary file in
// the same folder, flushed, given the old permission bits and renamed over
// the file. 0, or a failure that leaves the old file as it was.
StatusWord ReplaceFile(StrDesc name, const char* link_path, const char* data,
                       std::uint16_t length) {
  if (data == nullptr) return kFailure;
  // A symbolic link stays a link: the file it names is the one replaced.
  std::string resolved = link_path;
  struct statx link {};
  if (Os().statx(AT_FDCWD, link_path, AT_SYMLINK_NOFOLLOW, STATX_TYPE, &link) == 0 &&
      S_ISLNK(link.stx_mode)) {
    if (char* real = realpath(link_path, nullptr); real != nullptr) {
      resolved = real;
      std::free(real);
    }
  }
  const char* path = resolved.c_str();
  struct statx old;
  const bool had_old =
      Os().statx(AT_FDCWD, path, AT_STATX_SYNC_AS_STAT, STATX_TYPE | STATX_MODE, &old) == 0;
  if (had_old && !IsRegular(old)) return RecordOpenFailure(name, kErrFileNotFound);
  const StreamSlot slot = FreeSlot();
  if (slot == kNoHandle) return RecordOpenFailure(name, kErrDataOutBound);

  std::string folder, base;
  SplitPath(path, &folder, &base);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < kTempAttempts && fd < 0; ++attempt) {
    temp = TempPathFor(folder, base);
    // Private until it has the old file's bits; a new file takes the umask's.
    fd = Os().open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                   had_old ? kPrivateMode : kNewFileMode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return RecordOpenFailure(name, kErrFileNotFound);
  Table().fd[slot] = fd;

  bool ok = WriteSlot(slot, 0, data, length) == kOk;
  if (ok && had_old) ok = Os().fchmod(fd, old.stx_mode & 07777) == 0;
  if (ok) ok = Os().fsync(fd) == 0;
  if (CloseStream(slot) != kOk) ok = false;
  if (ok) ok = Os().rename(temp.c_str(), path) == 0;
  if (!ok) {
    (void)Os().unlink(temp.c_str());
    return kFailure;
  }
  SyncFolder(folder);
  return kOk;
}

// WriteFile's work as a status: 0 when every byte was written.
StatusWord WriteWhole(StrDesc name, StreamPosition position, const char* data,
                      std::uint16_t length) {
  char path[kMaxStreamName + 1];
  if (!CName(name, path)) return RecordOpenFailure(name, kErrBadInputData);
  if (position == kReplaceFile) {
    if (length == 0) {
      (void)RemoveFile(name);
      return kFailure;
    }
    return ReplaceFile(name, path, data, length);
  }
  if (length == 0 || data == nullptr) return kFailure;
  StreamSlot slot = kNoHandle;
  if (OpenSlot(name, kOpenReadWrite, &slot) != kOk) return kFailure;
  const StatusWord written = WriteSlot(slot, position, data, length);
  const StatusWord closed = CloseStream(slot);
  return written == kOk && closed == kOk ? kOk : kFailure;
}

// Takes out the last n items of the line queue.
void DropLastLines(std::uint16_t n) {
  for (; n != 0; --n) {
    const std::uint16_t count = VariableCount(kGroupLineQueue);
    if (count == 0) return;
    (void)DeleteVariable(kGroupLineQueue, static_cast<std::uint16_t>(count - 1));
  }
}

// The path ReadLinesToQueue opens after the name failed to open in the
// current folder: the first that exists of the name itself and the start
// folder joined with the name. One new string (empty when neither exists).
// Each candidate is looked up on its own, so a comma in the start folder
// cannot split it into two folders.
StrDesc FindLinesFile(StrDesc name) {
  const AreaMark mark = MarkArea();
  const StrDesc here = FindAlongFolders(EmptyDesc(), name);
  if (here.ptr == nullptr || here.len != 0) return KeepResult(mark, here);
  const StrDesc start = GetVariable(kGroupSettings, kItemStartFolder);
  if (start.len == 0) return KeepResult(mark, here);
  return KeepResult(mark, FindAlongFolders(EmptyDesc(), JoinPath(start, name)));
}

}  // namespace

StreamSlot OpenStream(StrDesc name, std::uint16_t flags) {
  StreamSlot slot = kNoHandle;
  const StatusWord st = OpenSlot(name, flags, &slot);
  if (st == kOk) return slot;
  return (flags & kOpenQuiet) != 0 ? st : kNoHandle;
}

StatusWord CloseStream(StreamSlot slot) {
  if (slot < kFirstFileSlot || slot >= kStreamSlotCount) return kOk;
  StreamTable& t = Table();
  const int fd = t.fd[slot];
  if (fd == kEmptySlot) return kOk;
  t.fd[slot] = kEmptySlot;
  // The descriptor is gone whatever close says; a failure may mean lost data.
  return Os().close(fd) == 0 ? kOk : kFailure;
}

std::uint32_t StreamSize(StreamSlot slot) {
  if (IsConsole(slot)) return kConsoleSize;
  std::uint64_t size = 0;
  return SlotSize(slot, &size) ? Saturated32(size) : 0;
}

std::uint16_t ReadStream(StreamSlot slot, StreamPosition position, std::uint16_t count,
                         char* buffer, std::uint16_t capacity) {
  return PublicCount(ReadSlot(slot, position, count, buffer, capacity));
}

StrDesc ReadStreamText(StreamSlot slot, StreamPosition position, std::uint16_t count) {
  ReadOutcome outcome;
  return ReadSlotText(slot, position, count, &outcome);
}

std::uint16_t WriteStream(StreamSlot slot, StreamPosition position, const char* data,
                          std::uint16_t length) {
  return WriteSlot(slot, position, data, length) == kOk ? length : kStreamFailed;
}

std::uint32_t FileSize(StrDesc name) {
  StreamSlot slot = kNoHandle;
  if (OpenSlot(name, kOpenNoUpdate, &slot) != kOk) return 0;
  std::uint64_t size = 0;
  const bool known = SlotSize(slot, &size);
  CloseStream(slot);
  return known ? Saturated32(size) : 0;
}

std::uint16_t ReadFileBlock(StrDesc name, StreamPosition position, std::uint16_t count,
                            char* buffer, std::uint16_t capacity) {
  StreamSlot slot = kNoHandle;
  if (OpenSlot(name, kOpenNoUpdate, &slot) != kOk) return kStreamFailed;
  std::uint64_t size = 0;
  ReadResult r{ReadOutcome::kFailed, 0};
  if (SlotSize(slot, &size)) {
    // A fresh stream stands at 0.
    const std::uint64_t start = position == kCurrentPosition ? 0 : position;
    std::uint64_t n = count;
    if (count == kToEndOfFile) n = size > start ? size - start : 0;
    // The rest of the file must fit a block count; 0xFFFF would ask for a line.
    if (n < kToEndOfFile && Os().lseek(SlotFd(slot), static_cast<off_t>(start), SEEK_SET) >= 0) {
      r = ReadBlock(slot, start, size, static_cast<std::uint16_t>(n), buffer, capacity);
    }
  }
  CloseStream(slot);
  return PublicCount(r);
}

StrDesc ReadFileText(StrDesc name, StreamPosition position, std::uint16_t count) {
  const AreaMark mark = MarkArea();
  if (count == 0) return KeepResult(mark, EmptyDesc());
  StreamSlot slot = kNoHandle;
  if (StatusWord st = OpenSlot(name, kOpenNoUpdate, &slot); st != kOk) return ErrorDesc(st);
  const std::uint64_t start = position == kCurrentPosition ? 0 : position;
  std::uint64_t size = 0;
  StatusWord status = kOk;
  std::uint64_t n = count;
  if (!SlotSize(slot, &size)) {
    status = kFailure;
  } else if (count == kToEndOfFile) {
    n = size > start ? size - start : 0;
    if (n > kMaxFileText) status = kErrFileOutBound;
  }
  char* text = nullptr;
  if (status == kOk && FreeBytes() < n) status = kErrOutOfMemory;
  if (status == kOk && n != 0) {
    text = ReserveTopPtr(static_cast<std::uint16_t>(n), kNoFill);
    if (text == nullptr) status = kErrOutOfMemory;
  }
  if (status == kOk && n != 0) {
    const ReadResult r = Os().lseek(SlotFd(slot), static_cast<off_t>(start), SEEK_SET) < 0
                             ? ReadResult{ReadOutcome::kFailed, 0}
                             : ReadBlock(slot, start, size, static_cast<std::uint16_t>(n), text,
                                         static_cast<std::uint16_t>(n));
    if (r.outcome != ReadOutcome::kRead || r.bytes != n) status = kFailure;
  }
  CloseStream(slot);
  if (status != kOk) {
    ReleaseArea(mark);
    return ErrorDesc(status);
  }
  return n == 0 ? KeepResult(mark, EmptyDesc()) : TopString();
}

StrDesc ReadTextFileJoined(StrDesc name, StrDesc separator) {
  const AreaMark mark = MarkArea();
  StrDesc text = ReadFileText(name, 0, kToEndOfFile);
  text = ReplaceAll(text, Lit("\r\n"), separator, kPlain);
  text = ReplaceAll(text, Lit("\n"), separator, kPlain);
  return KeepResult(mark, text);
}

std::uint16_t WriteFile(StrDesc name, StreamPosition position, const char* data,
                        std::uint16_t length) {
  return WriteWhole(name, position, data, length) == kOk ? length : kStreamFailed;
}

StatusWord WriteFileAll(StrDesc name, StreamPosition position, const char* data,
                        std::uint16_t length) {
  // Judged on the status, not on the count: 65535 bytes written and a failure
  // would otherwise look the same.
  return WriteWhole(name, position, data, length) == kOk ? kOk : kErrFileIO;
}

StatusWord CompareFileContents(StrDesc first, StrDesc second) {
  StreamSlot a = kNoHandle, b = kNoHandle;
  if (OpenSlot(first, kOpenNoUpdate, &a) != kOk) return kErrFileNotFound;
  if (OpenSlot(second, kOpenNoUpdate, &b) != kOk) {
    CloseStream(a);
    return kErrFileNotFound;
  }
  std::uint64_t size_a = 0, size_b = 0;
  StatusWord result = kSameContents;
  if (!SlotSize(a, &size_a) || !SlotSize(b, &size_b)) {
    result = kErrStrOutBound;
  } else if (size_a != size_b) {
    result = kDifferentContents;
  } else {
    // All 64 bits of the size: a file past 4 GiB is compared to its end.
    char chunk_a[kCompareChunk], chunk_b[kCompareChunk];
    for (std::uint64_t left = size_a; left != 0 && result == kSameContents;) {
      const auto n = static_cast<std::uint16_t>(std::min<std::uint64_t>(kCompareChunk, left));
      const std::uint64_t at = size_a - left;  // both streams read on from 0, in step
      const ReadResult ra = ReadBlock(a, at, size_a, n, chunk_a, n);
      const ReadResult rb = ReadBlock(b, at, size_b, n, chunk_b, n);
      if (ra.outcome != ReadOutcome::kRead || rb.outcome != ReadOutcome::kRead || ra.bytes != n ||
          rb.bytes != n) {
        result = kErrStrOutBound;  // as the byte comparison reports a failed text
      } else if (std::memcmp(chunk_a, chunk_b, n) != 0) {
        result = kDifferentContents;
      }
      left -= n;
    }
  }
  CloseStream(a);
  CloseStream(b);
  return result;
}

std::uint16_t ReadLinesToQueue(StrDesc name) {
  if (name.ptr == nullptr || name.len == 0) return kStreamFailed;
  const AreaMark mark = MarkArea();
  StreamSlot slot = kNoHandle;
  bool open = OpenSlot(name, kOpenRead | kOpenQuiet, &slot) == kOk;
  if (!open && FindChar(name, '/', kPlain) == kNotFound) {
    const StrDesc found = FindLinesFile(name);
    if (found.ptr != nullptr && found.len != 0) open = OpenSlot(found, kOpenRead, &slot) == kOk;
    ReleaseArea(mark);
  }
  if (!open) return kStreamFailed;
  std::uint16_t lines = 0;
  bool failed = false;
  for (;;) {
    ReadOutcome outcome;
    const StrDesc line = ReadSlotText(slot, kCurrentPosition, kReadLine, &outcome);
    if (outcome == ReadOutcome::kEndOfData) break;
    const bool pushed = line.ptr != nullptr && lines < kStreamFailed - 1 &&
                        PushVariable(kGroupLineQueue, line) == kOk;
    ReleaseArea(mark);
    if (!pushed) {
      failed = true;
      break;
    }
    ++lines;
  }
  CloseStream(slot);
  if (failed) {
    // A half-read file must not pass for a whole one, nor leave its lines for
    // the next reader of the queue.
    DropLastLines(lines);
    return kStreamFailed;
  }
  return lines == 0 ? kStreamFailed : lines;
}
