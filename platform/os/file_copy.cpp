#include "platform/os/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/os/errors.h"
#include "platform/os/os_calls.h"

namespace {

constexpr unsigned int kStatMask =
    STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_ATIME | STATX_MTIME;
constexpr std::size_t kChunkBytes = std::size_t{1} << 30;   // one copy_file_range at most
constexpr std::size_t kBufferBytes = std::size_t{1} << 17;  // the read/write fallback's
constexpr int kTempAttempts = 16;
constexpr std::size_t kNameMax = 255;
constexpr std::size_t kTempDecoration = 1 + 1 + 12 + 4;  // ".", ".", the tag, ".tmp"

CopyReport Ok() { return CopyReport{kOk, CopyProblem::kNone, 0, false, false}; }

CopyReport Problem(CopyProblem problem, StatusWord status, bool source) {
  return CopyReport{status, problem, 0, false, source};
}

CopyReport SystemFailure(int error, bool source) {
  return CopyReport{StatusFromErrno(error), CopyProblem::kSystem, error, false, source};
}

bool SameFile(const struct statx& a, const struct statx& b) {
  return a.stx_ino == b.stx_ino && a.stx_dev_major == b.stx_dev_major &&
         a.stx_dev_minor == b.stx_dev_minor;
}

bool SameTime(const struct statx_timestamp& a, const struct statx_timestamp& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The destination's side of the checks, given what the source is.
CopyReport CheckDestination(const struct statx& source, const char* destination,
                            std::uint8_t options) {
  struct statx entry {};
  if (Os().statx(AT_FDCWD, destination, AT_SYMLINK_NOFOLLOW, kStatMask, &entry) != 0) {
    if (errno == ENOENT) return Ok();  // nothing there yet
    return SystemFailure(errno, false);
  }
  struct statx target = entry;
  if (S_ISLNK(entry.stx_mode)) {
    // The link is replaced, never written through; what it names decides
    // whether that is allowed. A dangling link names nothing.
    if (Os().statx(AT_FDCWD, destination, 0, kStatMask, &target) != 0) return Ok();
  }
  if (S_ISDIR(target.stx_mode))
    return Problem(CopyProblem::kDestinationFolder, kErrBadInputData, false);
  if (!S_ISREG(target.stx_mode)) {
    return Problem(CopyProblem::kDestinationSpecial, kErrBadInputData, false);
  }
  if (SameFile(source, target)) return Problem(CopyProblem::kSameFile, kErrBadInputData, false);
  if ((target.stx_mode & S_IWUSR) == 0 && (options & kCopyReplaceReadOnly) == 0) {
    return Problem(CopyProblem::kDestinationReadOnly, kErrPermissionDenied, false);
  }
  return Ok();
}

// The folder and the last component of a path ("." for a bare name).
void SplitPath(const std::string& path, std::string* folder, std::string* name) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    *folder = ".";
    *name = path;
  } else {
    *folder = slash == 0 ? "/" : path.substr(0, slash);
    *name = path.substr(slash + 1);
  }
}

// A new name for the temporary file beside the destination: hidden, marked
// as temporary, within the length a name may have.
std::string TempName(const std::string& folder, const std::string& name) {
  static std::mt19937_64 engine{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::uint64_t r = engine();
  std::string tag;
  for (int i = 0; i < 12; ++i, r /= 36) tag += kDigits[r % 36];
  const std::string base = name.substr(0, kNameMax - kTempDecoration);
  return (folder == "/" ? "" : folder) + "/." + base + "." + tag + ".tmp";
}

// Writes all n bytes: 0, or the errno.
int WriteAll(int fd, const char* bytes, std::size_t n) {
  while (n != 0) {
    const ssize_t done = Os().write(fd, bytes, n);
    if (done < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (done == 0) return EIO;  // a write that takes nothing would never end
    bytes += done;
    n -= static_cast<std::size_t>(done);
  }
  return 0;
}

// Copies every byte from in (at its offset) to out: 0, or the errno. The
// kernel copies them itself where it can; where it cannot (another file
// system, no support), the bytes go through a buffer from where it stopped.
int CopyBytes(int in, int out, std::uint64_t* copied) {
  for (;;) {
    const ssize_t done = Os().copy_file_range(in, nullptr, out, nullptr, kChunkBytes, 0);
    if (done > 0) {
      *copied += static_cast<std::uint64_t>(done);
      continue;
    }
    // None copied: at the end, or a file system that copies nothing this way
    // (some report 0 instead of an error); the buffer goes on from here and
    // finds the end at once if that is where we are.
    if (done == 0) break;
    if (errno == EINTR) continue;
    if (errno != EXDEV && errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL) return errno;
    break;
  }
  std::vector<char> buffer(kBufferBytes);
  for (;;) {
    const ssize_t got = Os().read(in, buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) return 0;
    if (const int error = WriteAll(out, buffer.data(), static_cast<std::size_t>(got)); error != 0) {
      return error;
    }
    *copied += static_cast<std::uint64_t>(got);
  }
}

// The source's entry through its open descriptor.
bool StatOpen(int fd, struct statx* out) {
  return Os().statx(fd, "", AT_EMPTY_PATH, kStatMask, out) == 0;
}

}  // namespace

int SyncFolderEntries(const char* folder) {
  const int fd = Os().open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return errno;
  const int error = Os().fsync(fd) == 0 ? 0 : errno;
  Os().close(fd);
  return error;
}

CopyReport CheckCopy(const char* source, const char* destination, std::uint8_t options) {
  struct statx s {};
  if (Os().statx(AT_FDCWD, source, 0, kStatMask, &s) != 0) return SystemFailure(errno, true);
  if (!S_ISREG(s.stx_mode)) return Problem(CopyProblem::kSourceNotRegular, kErrBadInputData, true);
  return CheckDestination(s, destination, options);
}

bool StateOf(const char* path, PathState* state) {
  *state = PathState{};
  struct statx link {};
  if (Os().statx(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW, kStatMask | STATX_CTIME, &link) != 0) {
    return errno == ENOENT;
  }
  state->entry = true;
  struct statx target {};
  if (Os().statx(AT_FDCWD, path, 0, kStatMask | STATX_CTIME, &target) != 0) {
    if (errno != ENOENT) return false;
    target = link;  // a link that names nothing: the link itself
  } else {
    state->file = true;
  }
  state->ino = target.stx_ino;
  state->size = target.stx_size;
  state->dev_major = target.stx_dev_major;
  state->dev_minor = target.stx_dev_minor;
  state->mtime_sec = target.stx_mtime.tv_sec;
  state->mtime_nsec = target.stx_mtime.tv_nsec;
  state->ctime_sec = target.stx_ctime.tv_sec;
  state->ctime_nsec = target.stx_ctime.tv_nsec;
  return true;
}

CopyReport CopyReplacing(const char* source, const char* destination, std::uint8_t options,
                         const PathState* expected) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; for a regular
  // file it changes nothing.
  const int in = Os().open(source, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0);
  if (in < 0) return SystemFailure(errno, true);
  struct statx before {};
  CopyReport report = Ok();
  if (!StatOpen(in, &before)) {
    report = SystemFailure(errno, true);
  } else if (!S_ISREG(before.stx_mode)) {
    report = Problem(CopyProblem::kSourceNotRegular, kErrBadInputData, true);
  } else {
    report = CheckDestination(before, destination, options);
  }
  if (report.status != kOk) {
    Os().close(in);
    return report;
  }
  std::string folder, name;
  SplitPath(destination, &folder, &name);
  std::string temp;
  int out = -1;
  for (int attempt = 0; attempt < kTempAttempts && out < 0; ++attempt) {
    temp = TempName(folder, name);
    out = Os().open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
    if (out < 0 && errno != EEXIST) break;
  }
  if (out < 0) {
    report = SystemFailure(errno, false);
    Os().close(in);
    return report;
  }
  std::uint64_t copied = 0;
  int error = CopyBytes(in, out, &copied);
  struct statx after {};
  if (error == 0 && !StatOpen(in, &after)) error = errno;
  if (error == 0 && (after.stx_size != before.stx_size || copied != before.stx_size ||
                     !SameTime(after.stx_mtime, before.stx_mtime))) {
    report = Problem(CopyProblem::kSourceChanged, kErrFileIO, true);
  }
  const struct timespec times[2] = {
      {static_cast<time_t>(before.stx_atime.tv_sec), static_cast<long>(before.stx_atime.tv_nsec)},
      {static_cast<time_t>(before.stx_mtime.tv_sec), static_cast<long>(before.stx_mtime.tv_nsec)}};
  if (error == 0 && report.status == kOk && Os().fchmod(out, before.stx_mode & 07777) != 0) {
    error = errno;
  }
  if (error == 0 && report.status == kOk && Os().futimens(out, times) != 0) error = errno;
  if (error == 0 && report.status == kOk && Os().fsync(out) != 0) error = errno;
  if (Os().close(out) != 0 && error == 0 && report.status == kOk) error = errno;
  if (error == 0 && report.status == kOk) {
    if (expected != nullptr && !expected->entry) {
      // Nothing was there: the copy goes in only if nothing came meanwhile.
      if (Os().renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, destination, RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST) {
          report = Problem(CopyProblem::kDestinationChanged, kErrFileExist, false);
        } else {
          error = errno;
        }
      }
    } else {
      PathState now{};
      if (expected != nullptr && (!StateOf(destination, &now) || !(now == *expected))) {
        report = Problem(CopyProblem::kDestinationChanged, kErrFileIO, false);
      } else if (Os().rename(temp.c_str(), destination) != 0) {
        error = errno;
      }
    }
  }
  Os().close(in);
  if (error != 0) report = SystemFailure(error, false);
  if (report.status != kOk) {
    (void)Os().unlink(temp.c_str());
    return report;
  }
  report.replaced = true;
  // The copy is in place; the folder's entry must reach the disk too, or a
  // crash could still bring the old state back.
  if (const int sync_error = SyncFolderEntries(folder.c_str()); sync_error != 0) {
    report = SystemFailure(sync_error, false);
    report.problem = CopyProblem::kFolderNotFlushed;
    report.replaced = true;
  }
  return report;
}

const char* CopyProblemText(const CopyReport& report) {
  switch (report.problem) {
    case CopyProblem::kNone:
      return "copied";
    case CopyProblem::kSourceNotRegular:
      return "is not a regular file; only regular files are copied";
    case CopyProblem::kDestinationFolder:
      return "is a folder; a file is never copied over a folder";
    case CopyProblem::kDestinationSpecial:
      return "is not a regular file and is left as it is";
    case CopyProblem::kDestinationReadOnly:
      return "is read-only";
    case CopyProblem::kSameFile:
      return "is the very file it would be copied from";
    case CopyProblem::kSourceChanged:
      return "changed while it was copied; nothing was replaced";
    case CopyProblem::kDestinationChanged:
      return "changed while it was being replaced; it is left as it is";
    case CopyProblem::kFolderNotFlushed:
      return "was copied, but its folder could not be flushed to disk";
    case CopyProblem::kSystem:
      return std::strerror(report.error);
  }
  return "";
}
