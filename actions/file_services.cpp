#include "actions/file_services.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/os/errors.h"
#include "platform/os/file_copy.h"
#include "platform/os/os_calls.h"
#include "runtime/core/variable_store.h"
#include "runtime/files/paths.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/dates.h"
#include "runtime/text/format.h"
#include "runtime/text/strings.h"

namespace {

constexpr std::uint16_t kBackupNameLimit = 1024;
constexpr mode_t kFolderMode = 0777;  // the umask takes what the user keeps private

std::string Bytes(StrDesc s) { return std::string(s.ptr, s.len); }
StrDesc View(const std::string& s) { return MakeDesc(s.data(), s.size()); }

// The path as a C string, or "" when it cannot name a file (an error, a NUL byte).
std::string CPath(StrDesc path) {
  if (DescStatus(path) != kOk || std::memchr(path.ptr, '\0', path.len) != nullptr) return {};
  return Bytes(path);
}

bool IsFolder(const std::string& path) {
  struct statx stx {};
  return Os().statx(AT_FDCWD, path.c_str(), 0, STATX_TYPE, &stx) == 0 && S_ISDIR(stx.stx_mode);
}

// The folder part of a path ("" for a bare name, "/" for a file in the root).
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// True when a path has a "." or ".." component, which would let a backup
// path leave the backup tree.
bool HasDotComponent(const std::string& path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string_view part(path.data() + start, end - start);
    if (part == "." || part == "..") return true;
    start = end + 1;
  }
  return false;
}

// The folder a file's backups are kept under: its own path, absolute and
// without "." or ".." parts (resolved when it has them, or is relative).
// "" when that cannot be told (a relative folder or one with dot parts
// that does not exist).
std::string BackupSourceFolder(const std::string& file) {
  std::string folder = FolderOf(file);
  if (folder.empty()) folder = ".";
  if (folder[0] != '/' || HasDotComponent(folder)) {
    char* real = realpath(folder.c_str(), nullptr);
    if (real == nullptr) return "";
    folder = real;
    std::free(real);
  }
  return folder;
}

// The root of the backup tree: application folder 6, against the start folder.
std::string BackupsRoot() {
  const AreaMark mark = MarkArea();
  StrDesc backups = ApplicationFolder(kFolderBackup);
  const StrDesc start = GetVariable(kGroupSettings, kItemStartFolder);
  if (backups.ptr != nullptr && (backups.len == 0 || backups.ptr[0] != '/') && start.len != 0) {
    backups = JoinPath(start, backups);
  }
  std::string root = backups.ptr != nullptr ? Bytes(backups) : std::string();
  ReleaseArea(mark);
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

// True when a folder below the backup tree's root is a symbolic link: a
// backup written through it would land outside the tree, over another file.
bool LinkInsideTree(const std::string& folder) {
  const std::string root = BackupsRoot();
  if (root.empty() || folder.compare(0, root.size(), root) != 0) return false;
  for (std::size_t at = folder.find('/', root.size()); at != std::string::npos;
       at = folder.find('/', at + 1)) {
    const std::string part = folder.substr(0, at == std::string::npos ? folder.size() : at);
    struct statx stx {};
    if (at > root.size() &&
        Os().statx(AT_FDCWD, part.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &stx) == 0 &&
        S_ISLNK(stx.stx_mode)) {
      return true;
    }
  }
  struct statx stx {};
  return Os().statx(AT_FDCWD, folder.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &stx) == 0 &&
         S_ISLNK(stx.stx_mode);
}

StatusWord MakeOneFolder(const std::string& path, int* error) {
  if (Os().mkdir(path.c_str(), kFolderMode) == 0) {
    // The new folder's entry must reach the disk with its parent, or a
    // backup written into it could vanish in a crash.
    const std::string parent = FolderOf(path);
    *error = SyncFolderEntries(parent.empty() ? "." : parent.c_str());
    return *error == 0 ? kOk : StatusFromErrno(*error);
  }
  *error = errno;
  return *error == EEXIST && IsFolder(path) ? kOk : StatusFromErrno(*error);
}

StatusWord EnsureFolderPath(const std::string& path) {
  if (path.empty() || path == "/") return path.empty() ? kErrBadInputData : kOk;
  if (IsFolder(path)) return kOk;
  int error = 0;
  if (MakeOneFolder(path, &error) == kOk) return kOk;
  if (error == ENOENT && !IsFolder(path)) {
    const std::string parent = FolderOf(path);
    if (!parent.empty()) {
      const StatusWord st = EnsureFolderPath(parent);
      if (st != kOk) return st;
      if (MakeOneFolder(path, &error) == kOk) return kOk;
    }
  }
  const char* reason = error == EEXIST ? "is a file, not a folder" : std::strerror(error);
  const StatusWord status = error == EEXIST ? kErrFileNotFound : StatusFromErrno(error);
  return RecordFileProblem(status, View(path), reason);
}

// Makes the dated folder of the backup path target of the file path.
StatusWord MakeBackupFolder(StrDesc path, const std::string& target) {
  const std::string folder = FolderOf(target);
  const StatusWord st = IsFolder(folder) ? kOk : EnsureFolderPath(folder);
  if (st == kOk) {
    if (!LinkInsideTree(folder)) return kOk;
    const std::string why =
        "cannot be backed up: " + folder + " holds a link inside the backup tree";
    return RecordFileProblem(kErrBadInputData, path, why.c_str());
  }
  // The log names the folder that could not be made; the file leads.
  const StrDesc made = GetVariable(kGroupMessages, kItemDetailLog);
  const std::string why = "cannot be backed up: " + Bytes(made);
  return RecordFileProblem(st, path, why.c_str());
}

}  // namespace

StatusWord EnsureBackupFolder(StrDesc path) {
  const AreaMark mark = MarkArea();
  const StrDesc target = BackupPath(path);
  const StatusWord st =
      target.ptr != nullptr ? MakeBackupFolder(path, Bytes(target)) : DescStatus(target);
  ReleaseArea(mark);
  return st;
}

StatusWord RecordFileProblem(StatusWord status, StrDesc path, const char* reason) {
  const AreaMark mark = MarkArea();
  const StrDesc parts[] = {path, Lit(": "), DescFromCString(reason)};
  const StrDesc text = ConcatParts(parts, 3);
  (void)AddDetail(status, text.ptr != nullptr ? text : path, false);
  ReleaseArea(mark);
  return status;
}

StatusWord EnsureFolder(StrDesc path) {
  if (DescStatus(path) != kOk) return DescStatus(path);
  const std::string c = CPath(path);
  if (c.empty()) return RecordFileProblem(kErrBadInputData, path, "names no folder");
  std::string trimmed = c;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  return EnsureFolderPath(trimmed);
}

StatusWord CopyFileTo(StrDesc source, StrDesc destination, std::uint8_t options) {
  if (DescStatus(source) != kOk) return DescStatus(source);
  if (DescStatus(destination) != kOk) return DescStatus(destination);
  const std::string from = CPath(source), to = CPath(destination);
  if (from.empty()) return RecordFileProblem(kErrBadInputData, source, "names no file");
  if (to.empty()) return RecordFileProblem(kErrBadInputData, destination, "names no file");
  const std::string folder = FolderOf(to);
  if (!folder.empty() && !IsFolder(folder)) {
    const StatusWord st = EnsureFolderPath(folder);
    if (st != kOk) return st;
  }
  const CopyReport report = CopyReplacing(from.c_str(), to.c_str(), options);
  if (report.status == kOk) return kOk;
  return RecordFileProblem(report.status, report.source_on_error ? source : destination,
                           CopyProblemText(report));
}

StrDesc BackupPath(StrDesc path) {
  const AreaMark mark = MarkArea();
  if (DescStatus(path) != kOk) return KeepResult(mark, path);
  const std::string file = Bytes(path);
  const std::size_t slash = file.rfind('/');
  // The name exactly as it is: a name with no stem or no extension (".profile",
  // "notes.") keeps every byte, so two files never share a backup.
  const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
  const std::string folder = BackupSourceFolder(file);
  if (folder.empty()) return KeepResult(mark, ErrorDesc(kErrFileNotFound));
  const std::string root = BackupsRoot();
  const StrDesc backups = View(root);
  const StrDesc date = FormatDate(DateToText(Today()), kDateShort);
  const StrDesc dated = FormatText(kBackupNameLimit, "Backup(%s)", {date});
  const StrDesc tree = ResolveRelativePath(ResolveRelativePath(backups, View(folder)), dated);
  return KeepResult(mark, JoinPath(tree, View(name)));
}

StatusWord BackupFile(StrDesc path) {
  if (DescStatus(path) != kOk) return DescStatus(path);
  const std::string file = CPath(path);
  if (file.empty()) return RecordFileProblem(kErrBadInputData, path, "names no file");
  const AreaMark mark = MarkArea();
  const StrDesc target = BackupPath(path);
  if (target.ptr == nullptr) {
    ReleaseArea(mark);
    return RecordFileProblem(DescStatus(target), path, "has no backup path");
  }
  const std::string target_path = Bytes(target);
  ReleaseArea(mark);
  // The dated folder first, whether the file is there or not.
  if (const StatusWord st = MakeBackupFolder(path, target_path); st != kOk) return st;
  // An earlier backup of the day, read-only like the file it came from, is
  // replaced too: it is the backup tree's own copy.
  const CopyReport report = CopyReplacing(file.c_str(), target_path.c_str(), kCopyReplaceReadOnly);
  if (report.status == kOk) return kOk;
  if (report.source_on_error)
    return RecordFileProblem(report.status, path, CopyProblemText(report));
  const std::string why = "cannot be backed up to " + target_path + ": " + CopyProblemText(report);
  return RecordFileProblem(report.status, path, why.c_str());
}
